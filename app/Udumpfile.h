// SPD dump files: the 128 SPD bytes of a module saved by this program, by
// i2cdump, or typed out as hex text, read back for decoding without the
// hardware.
//
// Accepted forms:
//  - raw binary of at least 128 bytes (an EEPROM image; bytes past 127 are
//    ignored);
//  - plain hex text: bytes as two hex digits, optionally with 0x, separated
//    by white space;
//  - the output of i2cdump in byte mode: its header line, then rows
//    "00: 80 08 04 ..." in order from 00 (leading lines before the header,
//    such as i2cdump's own notices, are skipped).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "spd/Uspd.h"

namespace ynvex {

using SpdBytes = std::array<std::uint8_t, kSpdBytesUsed>;

enum class DumpFormat { Unknown, Binary, HexText, I2cdump };

struct SpdDump {
    DumpFormat format = DumpFormat::Unknown;
    SpdBytes bytes{};
    std::string error;  // empty when the bytes are valid
    bool ok() const { return error.empty(); }
};

// A file larger than this is not an SPD dump (the biggest accepted form, an
// i2cdump of a 256-byte EEPROM, is under 2 KiB); the bound also keeps a
// mistaken device file or huge file from being read to the end.
inline constexpr std::size_t kMaxDumpFileSize = 64 * 1024;

// Recognises the form and takes bytes 0 to 127. On failure the error says
// what is wrong with the contents (it does not name a file).
SpdDump ParseSpdDump(std::string_view contents);

// Reads and parses a file; every error begins with the file's name.
SpdDump ReadSpdDumpFile(const std::filesystem::path& path);

}  // namespace ynvex
