#include "decode/Ufmt_common.h"

#include <algorithm>
#include <array>

#include "decode/Umfid.h"

namespace ynvex {

namespace {

constexpr std::uint8_t kFirstShownChar = 0x20;
constexpr std::uint8_t kLastShownChar = 0x7E;
// 0xFF ends a JEP106 code: an unprogrammed EEPROM byte.
constexpr std::uint8_t kMfidUnwritten = 0xFF;

std::string HexPadded(std::uint32_t value, std::size_t digits) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

// The image bytes a field may cover: never beyond byte 127.
std::size_t FieldEnd(std::size_t first, std::size_t count) {
    return std::min(first + count, kSpdBytesUsed);
}

constexpr std::array<BitText, 5> kBurstLengths = {{
    {0, "1, "},
    {1, "2, "},
    {2, "4, "},
    {3, "8, "},
    {7, "Page, "},
}};

}  // namespace

std::string Decimal(std::int64_t value) {
    return std::to_string(value);
}

std::string Hex2(std::uint32_t value) {
    return HexPadded(value, 2);
}

std::string Hex4(std::uint32_t value) {
    return HexPadded(value, 4);
}

char ShownChar(std::uint8_t b) {
    return (b >= kFirstShownChar && b <= kLastShownChar) ? static_cast<char>(b) : ' ';
}

std::string ShownChars(const SpdImage& image, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < FieldEnd(first, count); ++i) text += ShownChar(image[i]);
    return text;
}

std::string HexBytes(const SpdImage& image, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < FieldEnd(first, count); ++i) text += Hex2(image[i]);
    return text;
}

std::string TextForCode(std::span<const CodeText> table, std::uint32_t code,
                        const std::string& fallback) {
    for (const CodeText& entry : table) {
        if (entry.code == code) return entry.text;
    }
    return fallback;
}

std::string SetBitTexts(std::uint8_t b, std::span<const BitText> table) {
    std::string text;
    for (const BitText& entry : table) {
        if (BitSet(b, entry.bit)) text += entry.text;
    }
    return text;
}

std::string BytesUsedText(std::uint8_t b) {
    if (b == 0) return strUndefined;
    return Decimal(b) + " bytes used";
}

std::string SpdSizeText(std::uint8_t b) {
    if (b == 0) return strRFU;
    // 2 to the power 255 has 77 digits: double it out in decimal digits.
    std::string digits = "1";  // least significant digit first
    for (unsigned i = 0; i < b; ++i) {
        unsigned carry = 0;
        for (char& d : digits) {
            const unsigned twice = static_cast<unsigned>(d - '0') * 2 + carry;
            d = static_cast<char>('0' + twice % 10);
            carry = twice / 10;
        }
        if (carry != 0) digits += static_cast<char>('0' + carry);
    }
    std::reverse(digits.begin(), digits.end());
    return digits + strBytes;
}

std::string MemoryTypeText(std::uint8_t b) {
    if (!HasMemTypeName(b)) return strTBD;
    return strMemType[b];
}

std::string AddressBitsText(std::uint8_t b, std::string_view unit) {
    // Four bits cannot count 16 to 18 address lines, so 1 to 3 stand for them.
    auto part = [unit](std::uint8_t nibble) -> std::string {
        const unsigned bits = (nibble >= 1 && nibble <= 3) ? nibble + 15u : nibble;
        if (bits == 0) return strUndefined;
        return Decimal(bits) + std::string(unit);
    };
    // A high nibble means the second bank is addressed differently.
    if (HighNibble(b) == 0) return part(LowNibble(b));
    return "Bank1: " + part(LowNibble(b)) + ", Bank2: " + part(HighNibble(b));
}

std::string ModuleRowsText(std::uint8_t b) {
    if (b == 0) return strUndefined;
    return Decimal(b) + strRows;
}

std::string DataWidthText(std::uint8_t low, std::uint8_t high) {
    const unsigned width = low + 256u * high;
    if (width == 0) return strUndefined;
    return "x" + Decimal(width);
}

std::string RefreshText(std::uint8_t b, std::span<const CodeText> rates) {
    std::string text = TextForCode(rates, b & 0x7Fu);
    if (BitSet(b, 7)) text += "/Self Refresh";
    return text;
}

std::string DeviceWidthText(std::uint8_t b, std::string_view bank2TwiceAsWide,
                            std::string_view bank2SameWidth) {
    const unsigned width = b & 0x7Fu;
    std::string text = width == 0 ? strNone : "x" + Decimal(width);
    if (b != 0) text += BitSet(b, 7) ? bank2TwiceAsWide : bank2SameWidth;
    return text;
}

std::string TccdText(std::uint8_t b) {
    if (b == 0) return strNone;
    return "Tccd = " + Decimal(b) + " clock";
}

std::string BurstLengthText(std::uint8_t b) {
    if (b == 0) return strNone;
    return "Burst length = " + SetBitTexts(b, kBurstLengths) + "Supported";
}

std::string DeviceBanksText(std::uint8_t b) {
    if (b == 0) return strReserved;
    return Decimal(b) + " banks";
}

std::string TenthsNs(std::uint8_t b) {
    const unsigned whole = HighNibble(b) + LowNibble(b) / 10u;
    const unsigned tenth = LowNibble(b) % 10u;
    return Decimal(whole) + "." + Decimal(tenth) + "ns";
}

std::uint32_t ChecksumSum(const SpdImage& image) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < kSpdChecksumByte; ++i) sum += image[i];
    return sum;
}

std::string ChecksumText(const SpdImage& image) {
    const std::uint8_t stored = image[kSpdChecksumByte];
    const std::uint32_t sum = ChecksumSum(image);
    std::string text;
    // A zero byte may mean the maker never wrote a checksum at all.
    if (stored == 0) text += "None. -OR- ";
    text += stored == (sum & 0xFFu) ? "The checksum = " : "Wrong checksum = ";
    text += Hex2(stored) + "h";
    text += " (The low 8-bits of the arithmetic sum of bytes 0 through 62. = ";
    text += Hex4(sum) + "h)";
    return text;
}

std::string ManufacturerText(const SpdImage& image) {
    const std::uint8_t* code = image.data() + kSpdMfidByte;
    if (code[0] == 0) return strNone;

    TMFID maker;
    maker.Lookup(code);
    std::string text = "Company Name = " + maker.name;
    if (maker.bank == -1 || maker.number == -1) {
        // Not a code the lookup can place: show what the bytes hold.
        text += ", " + HexBytes(image, kSpdMfidByte, kSpdMfidLength) + " (HEX), \"";
        text += ShownChars(image, kSpdMfidByte, kSpdMfidLength) + "\" (ASCII)";
        return text;
    }
    text += ", Bank = " + Decimal(maker.bank);
    text += ", Number = " + Decimal(maker.number);
    text += " (DEC), CODE = ";
    for (std::size_t i = 0; i < kSpdMfidLength && code[i] != kMfidUnwritten; ++i) {
        text += Hex2(code[i]);
    }
    return text + " (HEX)";
}

std::string LocationText(const SpdImage& image) {
    return Hex2(image[kSpdLocationByte]) + "h";
}

std::string PartNumberText(const SpdImage& image) {
    if (image[kSpdPartNumberByte] == 0) return std::string();
    return ShownChars(image, kSpdPartNumberByte, kSpdPartNumberLength);
}

std::string RevisionCodeText(const SpdImage& image) {
    const std::uint8_t first = image[kSpdRevisionCodeByte];
    const std::uint8_t second = image[kSpdRevisionCodeByte + 1];
    if (first == 0 && second == 0) return strNA;
    return Hex2(first) + "h, " + Hex2(second) + "h";
}

std::string ManufacturingDateText(const SpdImage& image) {
    return "Year : " + Decimal(image[kSpdDateYearByte]) +
           ", Week : " + Decimal(image[kSpdDateWeekByte]);
}

std::string SerialNumberText(const SpdImage& image) {
    return "S/N : " + HexBytes(image, kSpdSerialNumberByte, kSpdSerialNumberLength) + " (HEX)";
}

std::string ManufacturerDataText(const SpdImage& image) {
    return HexBytes(image, kSpdMakerDataByte, kSpdMakerDataLength) + " (HEX)";
}

}  // namespace ynvex
