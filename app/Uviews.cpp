#include "app/Uviews.h"

#include <cstdint>

namespace ynvex {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kLastPrintable = 0x7E;

const std::string strNotAvailable = "Not Available.";

void AppendHex(std::string& text, std::uint32_t value, int digits) {
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        text += kHexDigits[(value >> shift) & 0xF];
    }
}

}  // namespace

std::string HexDumpOffset(std::size_t line) {
    std::string text;
    AppendHex(text, static_cast<std::uint32_t>(line * kHexDumpBytesPerLine), 4);
    return text;
}

std::string HexDumpBytes(const SpdImage& image, std::size_t line) {
    std::string text;
    text.reserve(3 * kHexDumpBytesPerLine);
    for (std::size_t i = 0; i < kHexDumpBytesPerLine; ++i) {
        AppendHex(text, image[line * kHexDumpBytesPerLine + i], 2);
        text += ' ';
    }
    return text;
}

std::string HexDumpChars(const SpdImage& image, std::size_t line) {
    std::string text;
    text.reserve(kHexDumpBytesPerLine);
    for (std::size_t i = 0; i < kHexDumpBytesPerLine; ++i) {
        const std::uint8_t byte = image[line * kHexDumpBytesPerLine + i];
        text += byte >= kFirstPrintable && byte <= kLastPrintable ? static_cast<char>(byte) : '.';
    }
    return text;
}

std::size_t ShownRowCount(const TSPD& spd) {
    return spd.Row[kAlwaysShownRows]->Description.empty() ? kAlwaysShownRows : kSpdRows;
}

HexDumpView ShowHexDump(const SpdImage& image) {
    HexDumpView view;
    for (std::size_t line = 0; line < kHexDumpLines; ++line) {
        view[line] = {"  " + HexDumpOffset(line), HexDumpBytes(image, line),
                      HexDumpChars(image, line)};
    }
    return view;
}

DecodedView ShowDecoded(const TSPD& spd, int /*slot*/, const SpdImage& image) {
    if (!SpdPresent(image)) return {{strNotAvailable, ""}};
    DecodedView view;
    const std::size_t rows = ShownRowCount(spd);
    view.reserve(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        view.push_back({spd.Row[i]->Description, spd.Row[i]->Status});
    }
    return view;
}

}  // namespace ynvex
