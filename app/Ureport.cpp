#include "app/Ureport.h"

#include "app/Uversion.h"
#include "app/Uviews.h"

namespace ynvex {

namespace {

// The title is padded with hyphens to this width, and the report closes with
// a line of as many.
constexpr std::size_t kReportWidth = 160;
// "--- [ DIMM 0 ] ---": the slot part of the title, counted as 18 characters
// whatever the slot number's width.
constexpr std::size_t kSlotPartWidth = 18;

const std::string strHexHeader =
    "  OFFSET +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F    0123456789ABCDEF";
const std::string strHexRule = "  " + std::string(55, '-') + "  " + std::string(18, '-');
const std::string strRowSeparator = "  --------";
const std::string strIndent = "  ";

void AddLine(std::string& text, const std::string& line) {
    text += line;
    text += '\n';
}

}  // namespace

std::string MakeReport(const TSPD& spd, int slot, const SpdImage& image) {
    if (!SpdPresent(image)) return {};
    const std::string header = " [ " + strProductVersion + " ] ";

    std::string text;
    text.reserve(8192);

    const std::size_t used = kSlotPartWidth + header.size();
    const std::size_t hyphens = used < kReportWidth ? kReportWidth - used : 0;
    AddLine(text,
            "--- [ DIMM " + std::to_string(slot) + " ] ---" + header + std::string(hyphens, '-'));
    AddLine(text, "");

    AddLine(text, strHexHeader);
    AddLine(text, strHexRule);
    for (std::size_t line = 0; line < kHexDumpLines; ++line) {
        AddLine(text, "   " + HexDumpOffset(line) + "  " + HexDumpBytes(image, line) + "   " +
                          HexDumpChars(image, line));
    }
    AddLine(text, strHexRule);
    AddLine(text, "");
    AddLine(text, "");

    const std::size_t rows = ShownRowCount(spd);
    for (std::size_t i = 0; i < rows; ++i) {
        if (i != 0) AddLine(text, strRowSeparator);
        AddLine(text, strIndent + spd.Row[i]->Description);
        AddLine(text, strIndent + spd.Row[i]->Status);
    }

    AddLine(text, std::string(kReportWidth, '-'));
    AddLine(text, "");
    AddLine(text, "");
    return text;
}

std::string SeekAllSlots(bool asus, std::uint32_t key, std::uint32_t base, char decimalSeparator) {
    std::string text;
    SpdImage image{};
    TSPD spd;
    spd.DecimalSeparator = decimalSeparator;
    for (int slot = 0; slot < kSpdSlots; ++slot) {
        spd.ReadSlot(asus, key, base, slot, image);
        text += MakeReport(spd, slot, image);
    }
    return text;
}

}  // namespace ynvex
