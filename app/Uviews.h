// The content of the window's two list views, as plain texts that a Qt or
// Win32 front-end only has to put into its widgets: the hex dump of the 128
// SPD bytes and the decoded rows of the reader.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "spd/Uspd.h"

namespace ynvex {

inline constexpr std::size_t kHexDumpLines = 8;
inline constexpr std::size_t kHexDumpBytesPerLine = 16;

// Row 44 and 45 are shown only when row 44 has a description: an SDRAM
// module shows 46 rows, a DDR SDRAM module 44.
inline constexpr std::size_t kAlwaysShownRows = 44;

// One line of the hex dump, column by column.
struct HexDumpLine {
    std::string offset;  // caption: two blanks and the line's first offset, "  0010"
    std::string bytes;   // "80 08 04 ... " : each byte as two hex digits and a blank
    std::string chars;   // one character per byte, a full stop outside 0x20..0x7E
};
using HexDumpView = std::array<HexDumpLine, kHexDumpLines>;

// One line of the decoded view.
struct DecodedLine {
    std::string description;
    std::string status;
};
using DecodedView = std::vector<DecodedLine>;

// The pieces that the view and the text report share, for hex dump line
// `line` (0 to 7) of the image.
std::string HexDumpOffset(std::size_t line);  // four upper-case hex digits
std::string HexDumpBytes(const SpdImage& image, std::size_t line);
std::string HexDumpChars(const SpdImage& image, std::size_t line);

// The number of the reader's rows that are shown and reported: 44 or 46.
std::size_t ShownRowCount(const TSPD& spd);

// Always eight lines, for an empty image too (then sixteen 00 groups each).
HexDumpView ShowHexDump(const SpdImage& image);

// The rows in order; one "Not Available." line with an empty status when the
// image is empty (byte 0 is 0). The slot is not used: the rows already say
// all there is.
DecodedView ShowDecoded(const TSPD& spd, int slot, const SpdImage& image);

}  // namespace ynvex
