#include "app/Udumpfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

namespace ynvex {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// i2cdump's column header in byte mode, after its leading blanks.
constexpr std::string_view kI2cdumpHeader = "0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f";
constexpr std::size_t kBytesPerRow = 16;
constexpr std::size_t kRowsNeeded = kSpdBytesUsed / kBytesPerRow;

bool IsTextByte(unsigned char c) {
    return (c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::optional<std::uint8_t> HexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    return std::nullopt;
}

// Exactly two hex digits.
std::optional<std::uint8_t> HexByte(std::string_view text) {
    if (text.size() != 2) return std::nullopt;
    const auto high = HexDigit(text[0]);
    const auto low = HexDigit(text[1]);
    if (!high || !low) return std::nullopt;
    return static_cast<std::uint8_t>(*high << 4 | *low);
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 24;
    std::string shown;
    for (char c : text.substr(0, kShown)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            shown += escaped;
        }
    }
    if (text.size() > kShown) shown += "...";
    return "'" + shown + "'";
}

std::string TooShort(std::size_t count) {
    return "holds only " + std::to_string(count) + " byte" + (count == 1 ? "" : "s") +
           ", an SPD dump needs at least " + std::to_string(kSpdBytesUsed);
}

// A byte-order mark, or text characters with a zero byte beside each one.
// An SPD image never looks like that: its byte 1 (the EEPROM size code) and
// byte 0 (bytes used, usually 0x80) are not zero and not both text.
bool LooksLikeUtf16(std::string_view text) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) return true;
    const std::size_t sample = std::min<std::size_t>(text.size(), kSpdBytesUsed) & ~std::size_t{1};
    if (sample == 0) return false;
    for (std::size_t zero_at : {0, 1}) {
        bool all = true;
        for (std::size_t i = 0; i < sample && all; i += 2) {
            const auto zero = static_cast<unsigned char>(text[i + zero_at]);
            const auto other = static_cast<unsigned char>(text[i + 1 - zero_at]);
            all = zero == 0 && IsTextByte(other);
        }
        if (all) return true;
    }
    return false;
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}
std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::size_t> FindI2cdumpHeader(const std::vector<std::string_view>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (TrimLeft(lines[i]).starts_with(kI2cdumpHeader)) return i;
    }
    return std::nullopt;
}

SpdDump ParseI2cdump(const std::vector<std::string_view>& lines, std::size_t header) {
    SpdDump dump;
    dump.format = DumpFormat::I2cdump;
    std::size_t rows = 0;
    for (std::size_t i = header + 1; i < lines.size() && rows < kRowsNeeded; ++i) {
        const std::string_view line = TrimRight(lines[i]);
        if (line.empty()) continue;
        const std::string line_no = "line " + std::to_string(i + 1);
        // "00: 80 08 04 ..." : the row's offset, then 16 fields of 3 columns.
        const auto offset = HexByte(line.substr(0, 2));
        if (line.size() < 4 || !offset || line.substr(2, 2) != ": ") {
            dump.error = line_no + " is not an i2cdump row: " + Quoted(line);
            return dump;
        }
        if (*offset != rows * kBytesPerRow) {
            char expected[8];
            std::snprintf(expected, sizeof expected, "%02zx:", rows * kBytesPerRow);
            dump.error = line_no + " is row " + Quoted(line.substr(0, 3)) + " where row " +
                         Quoted(expected) + " belongs";
            return dump;
        }
        for (std::size_t k = 0; k < kBytesPerRow; ++k) {
            const std::size_t at = 4 + 3 * k;
            const std::string_view field = at < line.size() ? line.substr(at, 2) : "";
            const std::size_t spd_offset = rows * kBytesPerRow + k;
            if (field == "XX") {
                dump.error = line_no + ": byte " + std::to_string(spd_offset) +
                             " is XX, i2cdump could not read it";
                return dump;
            }
            const auto value = HexByte(field);
            const bool separated = at + 2 >= line.size() || line[at + 2] == ' ';
            if (!value || !separated) {
                dump.error = line_no + ": byte " + std::to_string(spd_offset) + " is " +
                             Quoted(line.substr(std::min(at, line.size()), 3)) +
                             ", not two hex digits";
                return dump;
            }
            dump.bytes[spd_offset] = *value;
        }
        ++rows;
    }
    if (rows < kRowsNeeded) dump.error = TooShort(rows * kBytesPerRow);
    return dump;
}

SpdDump ParseHexText(const std::vector<std::string_view>& lines) {
    SpdDump dump;
    dump.format = DumpFormat::HexText;
    std::size_t count = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view rest = lines[i];
        while (true) {
            rest = TrimLeft(rest);
            if (rest.empty()) break;
            std::size_t end = 0;
            while (end < rest.size() && !IsBlank(rest[end])) ++end;
            std::string_view token = rest.substr(0, end);
            rest.remove_prefix(end);
            std::string_view digits = token;
            if (digits.starts_with("0x") || digits.starts_with("0X")) digits.remove_prefix(2);
            const auto value = HexByte(digits);
            if (!value) {
                dump.error = "line " + std::to_string(i + 1) + ": " + Quoted(token) +
                             " is not a byte of two hex digits";
                return dump;
            }
            if (count < kSpdBytesUsed) dump.bytes[count] = *value;
            ++count;
        }
    }
    if (count < kSpdBytesUsed) dump.error = TooShort(count);
    return dump;
}

}  // namespace

SpdDump ParseSpdDump(std::string_view contents) {
    if (contents.size() > kMaxDumpFileSize) {
        SpdDump dump;
        dump.error = "is too large for an SPD dump (more than " + std::to_string(kMaxDumpFileSize) +
                     " bytes)";
        return dump;
    }
    std::string_view text = contents;
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    // Hex text saved as UTF-16 is full of zero bytes and would otherwise
    // pass for a binary image.
    if (LooksLikeUtf16(text)) {
        SpdDump dump;
        dump.error = "is UTF-16 text; save it as ASCII or UTF-8";
        return dump;
    }

    std::size_t text_bytes = 0;
    std::size_t first_other = std::string_view::npos;
    bool has_nul = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsTextByte(c)) {
            ++text_bytes;
        } else if (first_other == std::string_view::npos) {
            first_other = i;
        }
        has_nul = has_nul || c == 0;
    }

    if (first_other == std::string_view::npos) {
        const auto lines = Lines(text);
        if (const auto header = FindI2cdumpHeader(lines)) return ParseI2cdump(lines, *header);
        return ParseHexText(lines);
    }

    // A text file with a stray non-ASCII character must not pass for a
    // binary image; a real SPD image has zero bytes (at the latest in its
    // unused bytes), text has none.
    if (!has_nul && text_bytes * 10 >= text.size() * 9) {
        SpdDump dump;
        dump.error = "looks like text but holds a byte that is not ASCII (0x";
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(text[first_other]));
        dump.error += hex;
        dump.error += " at offset " + std::to_string(first_other) + "); it is neither hex text " +
                      "nor a binary SPD image";
        return dump;
    }

    SpdDump dump;
    dump.format = DumpFormat::Binary;
    if (contents.size() < kSpdBytesUsed) {
        dump.error = TooShort(contents.size());
        return dump;
    }
    for (std::size_t i = 0; i < kSpdBytesUsed; ++i) {
        dump.bytes[i] = static_cast<std::uint8_t>(contents[i]);
    }
    return dump;
}

SpdDump ReadSpdDumpFile(const std::filesystem::path& path) {
    SpdDump dump;
    const std::string name = path.string();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        dump.error = name + ": is a directory, not an SPD dump file";
        return dump;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        const int error = errno;
        dump.error = name + ": cannot open: " +
                     (error != 0 ? std::strerror(error) : std::string("unreadable"));
        return dump;
    }
    // One byte past the bound tells a file at the bound from a bigger one.
    std::string contents(kMaxDumpFileSize + 1, '\0');
    in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (in.bad()) {
        dump.error = name + ": read error";
        return dump;
    }
    contents.resize(static_cast<std::size_t>(in.gcount()));
    dump = ParseSpdDump(contents);
    if (!dump.ok()) dump.error = name + ": " + dump.error;
    return dump;
}

}  // namespace ynvex
