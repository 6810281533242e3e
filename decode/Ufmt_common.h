// Rules that the SDRAM and the DDR SDRAM SPD layouts share byte for byte, so
// that both decoders build these texts in one place:
//
// - the number formats of every Status text: Decimal, Hex2, Hex4;
// - bit and nibble access on a byte as read (bit 7 most significant);
// - shown characters: a byte 0x20 to 0x7E is its own character, every other
//   byte one blank, so one byte always gives one character;
// - small table lookups: a code's text or "TBD", and the texts of set bits;
// - the rows whose text is identical in both layouts: bytes used, SPD size,
//   memory type, address bits, module rows, data width, Tccd, burst lengths,
//   device banks, device width (with each layout's notes), refresh (with each
//   layout's rate table), latency lists, and every row of bytes 63 to 125
//   (checksum, manufacturer through TMFID, location, part number, revision
//   code, date, serial number, manufacturer's data);
// - the tenths-of-a-nanosecond time format.
//
// Every function returns the whole text of a row (or a piece of one), built
// afresh, so a row assigned from it never keeps text of an earlier read. None
// of them reads an image byte beyond byte 127.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "spd/Uspd.h"
#include "spd/Uspdstr.h"

namespace ynvex {

// The text of a code that a layout's table does not list.
inline const std::string strTBD = "TBD";

// SPD byte positions that both layouts give the same meaning.
inline constexpr std::size_t kSpdChecksumByte = 63;  // sum of bytes 0 to 62
inline constexpr std::size_t kSpdMfidByte = 64;      // 8 bytes of JEP106 code
inline constexpr std::size_t kSpdMfidLength = 8;
inline constexpr std::size_t kSpdLocationByte = 72;
inline constexpr std::size_t kSpdPartNumberByte = 73;  // 18 characters
inline constexpr std::size_t kSpdPartNumberLength = 18;
inline constexpr std::size_t kSpdRevisionCodeByte = 91;  // 2 bytes
inline constexpr std::size_t kSpdDateYearByte = 93;
inline constexpr std::size_t kSpdDateWeekByte = 94;
inline constexpr std::size_t kSpdSerialNumberByte = 95;  // 4 bytes
inline constexpr std::size_t kSpdSerialNumberLength = 4;
inline constexpr std::size_t kSpdMakerDataByte = 99;  // bytes 99 to 125
inline constexpr std::size_t kSpdMakerDataLength = 27;

// --- Number formats -------------------------------------------------------

// Signed decimal, no leading zeros, blanks, grouping or plus sign.
std::string Decimal(std::int64_t value);
// Upper-case hexadecimal, zero-padded to at least two / four digits.
std::string Hex2(std::uint32_t value);
std::string Hex4(std::uint32_t value);

// --- Bits, nibbles, characters --------------------------------------------

constexpr bool BitSet(std::uint8_t b, int bit) {
    return ((b >> bit) & 1u) != 0;
}
constexpr std::uint8_t HighNibble(std::uint8_t b) {
    return static_cast<std::uint8_t>(b >> 4);
}
constexpr std::uint8_t LowNibble(std::uint8_t b) {
    return static_cast<std::uint8_t>(b & 0x0F);
}

// A byte as a shown character: printable ASCII as itself, anything else a
// blank, so a row never carries control or code-page-dependent bytes.
char ShownChar(std::uint8_t b);
// The shown characters / the Hex2 digits of image bytes first to
// first + count - 1, one after another without separators.
std::string ShownChars(const SpdImage& image, std::size_t first, std::size_t count);
std::string HexBytes(const SpdImage& image, std::size_t first, std::size_t count);

// --- Tables ----------------------------------------------------------------

struct CodeText {
    std::uint32_t code;
    const char* text;
};
// The text the table gives the code, or the fallback ("TBD" unless a row
// says otherwise) when it lists no such code.
std::string TextForCode(std::span<const CodeText> table, std::uint32_t code,
                        const std::string& fallback = strTBD);

struct BitText {
    int bit;
    const char* text;
};
// The texts of the table's bits that are set in b, in table order.
std::string SetBitTexts(std::uint8_t b, std::span<const BitText> table);

// --- Rows of bytes 0 to 35 that read alike in both layouts ------------------

// Byte 0: "128 bytes used"; 0 is "Undefined".
std::string BytesUsedText(std::uint8_t b);
// Byte 1 as the exact size, 2 to the power of b, for every byte value: 31
// reads "2147483648 bytes" and 32 "4294967296 bytes"; 0 is " RFU". The size
// never wraps into a signed or shorter 32-bit number.
std::string SpdSizeText(std::uint8_t b);
// Byte 2: the memory-type name, "TBD" for codes without one.
std::string MemoryTypeText(std::uint8_t b);
// Bytes 3 and 4; unit is " row address bits" or " column address bits".
std::string AddressBitsText(std::uint8_t b, std::string_view unit);
// Byte 5: "2 rows"; 0 is "Undefined".
std::string ModuleRowsText(std::uint8_t b);
// Bytes 6 and 7, the 16-bit little-endian width: "x72"; 0 is "Undefined".
std::string DataWidthText(std::uint8_t low, std::uint8_t high);
// Byte 12: the rate from bits 6 to 0 by the layout's table, then
// "/Self Refresh" when bit 7 is set.
std::string RefreshText(std::uint8_t b, std::span<const CodeText> rates);
// Bytes 13 and 14: "x8" or "None" from bits 6 to 0, then (b not 0) the
// layout's note on bank 2, chosen by bit 7.
std::string DeviceWidthText(std::uint8_t b, std::string_view bank2TwiceAsWide,
                            std::string_view bank2SameWidth);
// Byte 15: "Tccd = 1 clock"; 0 is "None".
std::string TccdText(std::uint8_t b);
// Byte 16: "Burst length = 1, 2, 4, 8, Page, Supported"; 0 is "None".
std::string BurstLengthText(std::uint8_t b);
// Byte 17: "4 banks"; 0 is "Reserved".
std::string DeviceBanksText(std::uint8_t b);

// A latency list (bytes 18 to 20): the label, then for each set bit from
// topBit down to 0 latency(bit) and ", ", then "Supported"; 0 is "None".
template <typename LatencyOfBit>
std::string LatencyListText(std::string_view label, std::uint8_t b, int topBit,
                            LatencyOfBit latency) {
    if (b == 0) return strNone;
    std::string text(label);
    for (int bit = topBit; bit >= 0; --bit) {
        if (BitSet(b, bit)) text += latency(bit) + ", ";
    }
    return text + "Supported";
}

// A time in tenths: whole = high nibble + low nibble / 10, tenth = low
// nibble % 10, so low nibbles 10 to 15 carry: 0x75 "7.5ns", 0x7A "8.0ns".
std::string TenthsNs(std::uint8_t b);

// --- Rows of bytes 63 to 125, identical in both layouts --------------------

// The arithmetic sum of bytes 0 to 62 (at most 63 * 255 = 16065).
std::uint32_t ChecksumSum(const SpdImage& image);
// Byte 63 against the low 8 bits of that sum, showing the whole sum.
std::string ChecksumText(const SpdImage& image);
// Bytes 64 to 71 through TMFID: name, bank and number with the code bytes up
// to the first 0xFF when the code is placed; name and all eight bytes in hex
// and as characters when not; "None" when byte 64 is 0.
std::string ManufacturerText(const SpdImage& image);
// Byte 72: "00h".
std::string LocationText(const SpdImage& image);
// Bytes 73 to 90 as 18 shown characters; empty when byte 73 is 0.
std::string PartNumberText(const SpdImage& image);
// Bytes 91 and 92: "01h, 00h"; both 0 is "N/A".
std::string RevisionCodeText(const SpdImage& image);
// Bytes 93 and 94 as plain numbers: "Year : 1, Week : 35".
std::string ManufacturingDateText(const SpdImage& image);
// Bytes 95 to 98: "S/N : 1234AB0C (HEX)".
std::string SerialNumberText(const SpdImage& image);
// Bytes 99 to 125: 54 hex digits and " (HEX)".
std::string ManufacturerDataText(const SpdImage& image);

}  // namespace ynvex
