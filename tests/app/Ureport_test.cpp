#include "app/Ureport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "detect/Upmd.h"
#include "hw/ports.h"
#include "sim/boards.h"
#include "sim/spd_samples.h"

namespace ynvex {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    EXPECT_TRUE(line.empty()) << "text does not end with a line feed";
    return lines;
}

class ReportTest : public testing::Test {
  protected:
    ReportTest() {
        image[0] = 0x80;
        image[1] = 0x08;
        image[2] = 0x04;
        image[0x12] = 0x1F;
        image[0x13] = 0x20;
        image[0x14] = 0x7E;
        image[0x15] = 0x7F;
        image[0x16] = 0xAB;
        image[0x17] = 'Y';
        image[0x7F] = 0xC5;
        image[0x80] = 0x55;  // beyond the 128 bytes that are reported
        for (std::size_t i = 0; i < kSpdRows; ++i) {
            spd.Row[i]->Description = "D" + std::to_string(i);
            spd.Row[i]->Status = "S" + std::to_string(i);
        }
    }
    SpdImage image{};
    TSPD spd;
};

const std::string kTitle0 = "--- [ DIMM 0 ] --- [ Ynvex  Ver.0.5.4.0 ] " + std::string(118, '-');
const std::string kHexRule =
    "  -------------------------------------------------------  ------------------";

TEST_F(ReportTest, HeaderAndHexBlockLineByLine) {
    const std::vector<std::string> lines = Lines(MakeReport(spd, 0, image));
    ASSERT_GT(lines.size(), 16u);
    EXPECT_EQ(lines[0], kTitle0);
    EXPECT_EQ(lines[0].size(), 160u);
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2],
              "  OFFSET +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F    0123456789ABCDEF");
    EXPECT_EQ(lines[3], kHexRule);
    EXPECT_EQ(lines[4],
              "   0000  80 08 04 00 00 00 00 00 00 00 00 00 00 00 00 00    ................");
    EXPECT_EQ(lines[5],
              "   0010  00 00 1F 20 7E 7F AB 59 00 00 00 00 00 00 00 00    ... ~..Y........");
    EXPECT_EQ(lines[11],
              "   0070  00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 C5    ................");
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(lines[4 + r].size(), 76u);
        EXPECT_EQ(lines[4 + r].substr(0, 9), "   00" + std::to_string(r) + "0  ");
    }
    EXPECT_EQ(lines[12], kHexRule);
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[14], "");
    EXPECT_EQ(lines[15], "  D0");
    EXPECT_EQ(lines[16], "  S0");
    EXPECT_EQ(lines[17], "  --------");
    EXPECT_EQ(lines[18], "  D1");
}

TEST_F(ReportTest, TitleCarriesTheSlotNumber) {
    const std::string report = MakeReport(spd, 5, image);
    EXPECT_EQ(report.substr(0, report.find('\n')),
              "--- [ DIMM 5 ] --- [ Ynvex  Ver.0.5.4.0 ] " + std::string(118, '-'));
}

TEST_F(ReportTest, RowsSeparatorsAndClosing) {
    struct Case {
        bool withRow44;
        std::size_t rows;
    };
    for (const Case c : {Case{false, 44}, Case{true, 46}}) {
        SCOPED_TRACE(c.rows);
        spd.Row[44]->Description = c.withRow44 ? "D44" : "";  // row 45 keeps its text
        const std::string report = MakeReport(spd, 0, image);
        const std::vector<std::string> lines = Lines(report);
        // 15 lines of title and hex block, 2 per row, a separator between rows,
        // the closing line and two empty lines.
        ASSERT_EQ(lines.size(), 15 + 2 * c.rows + (c.rows - 1) + 3);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "  --------"),
                  static_cast<std::ptrdiff_t>(c.rows - 1));
        for (std::size_t i = 0; i < c.rows; ++i) {
            const std::size_t at = 15 + 3 * i;
            EXPECT_EQ(lines[at], "  D" + std::to_string(i));
            EXPECT_EQ(lines[at + 1], "  S" + std::to_string(i));
        }
        const std::string last = "  S" + std::to_string(c.rows - 1) + "\n";
        const std::string tail = std::string(160, '-') + "\n\n\n";
        ASSERT_GE(report.size(), last.size() + tail.size());
        EXPECT_EQ(report.substr(report.size() - tail.size() - last.size()), last + tail);
    }
}

TEST_F(ReportTest, LineFeedsOnlyAndTextsAsStored) {
    spd.Row[3]->Status = "c\x81\x66t Magazine ";
    spd.Row[4]->Description = "";
    const std::string report = MakeReport(spd, 0, image);
    EXPECT_EQ(report.find('\r'), std::string::npos);
    EXPECT_NE(report.find("\n  c\x81\x66t Magazine \n"), std::string::npos);
    EXPECT_NE(report.find("\n  --------\n  \n  S4\n"), std::string::npos);
}

TEST_F(ReportTest, ImageWithByte0ZeroGivesTheEmptyText) {
    image[0] = 0x00;  // the other bytes and the rows are still filled
    EXPECT_EQ(MakeReport(spd, 0, image), "");
    const SpdImage blank{};
    EXPECT_EQ(MakeReport(TSPD{}, 7, blank), "");
}

// A simulated board installed as the port backend, with its controller
// detected as the window does it.
class SeekAllSlotsTest : public testing::Test {
  protected:
    void Use(std::string_view name) {
        board = sim::make_board(name);
        ASSERT_NE(board, nullptr) << name;
        backend = std::make_unique<hw::ScopedPortBackend>(board->machine);
        TPMD pmd;
        pmd.Unhide();
        pmd.Detect();
        key = pmd.did;
        base = static_cast<std::uint32_t>(pmd.bad);
    }
    // The report of one slot as a slot cycle builds it, with a reader of its own.
    std::string SlotReport(bool asus, int slot) const {
        TSPD spd;
        SpdImage image{};
        spd.ReadSlot(asus, key, base, slot, image);
        return MakeReport(spd, slot, image);
    }
    static std::vector<std::uint8_t> Sample(std::string_view name) {
        for (const auto& sample : sim::spd_samples()) {
            if (sample.name == name) return {sample.bytes.begin(), sample.bytes.end()};
        }
        ADD_FAILURE() << "no sample " << name;
        return {};
    }

    std::unique_ptr<sim::Board> board;
    std::unique_ptr<hw::ScopedPortBackend> backend;
    std::uint32_t key = kPmdNoKey;
    std::uint32_t base = kSpdNoBase;
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(SeekAllSlotsTest, JoinsTheReportsOfThePresentSlotsInOrder) {
    Use("vt82c686a");  // SDRAM in slots 0 and 2
    const std::string slot0 = SlotReport(false, 0);
    const std::string slot2 = SlotReport(false, 2);
    ASSERT_FALSE(slot0.empty());
    ASSERT_FALSE(slot2.empty());

    const std::string joined = SeekAllSlots(false, key, base);
    EXPECT_EQ(joined, slot0 + slot2);
    EXPECT_EQ(joined.rfind("--- [ DIMM 0 ] ---", 0), 0u);
    EXPECT_EQ(joined.substr(slot0.size(), 18), "--- [ DIMM 2 ] ---");
    EXPECT_EQ(joined.substr(slot0.size() - 3, 3), "\n\n\n");
    EXPECT_EQ(Count(joined, "--- [ DIMM "), 2u);
    EXPECT_EQ(joined.find('\r'), std::string::npos);
}

TEST_F(SeekAllSlotsTest, OneReaderServesSdramThenDdr) {
    Use("vt82c686a");
    ASSERT_TRUE(board->set_module(2, Sample("samsung-m470l3224dt0-cb0-256mb")));  // DDR
    const std::string slot0 = SlotReport(false, 0);
    const std::string slot2 = SlotReport(false, 2);
    // The SDRAM module before it filled rows 44 and 45 of the shared reader.
    EXPECT_EQ(Count(slot0, "\n  --------\n"), 45u);
    EXPECT_EQ(Count(slot2, "\n  --------\n"), 43u);
    EXPECT_EQ(SeekAllSlots(false, key, base), slot0 + slot2);
}

TEST_F(SeekAllSlotsTest, NoControllerReadsNothingAndGivesTheEmptyText) {
    Use("no-controller");
    ASSERT_EQ(base, kSpdNoBase);
    board->machine.clear_trace();
    EXPECT_EQ(SeekAllSlots(false, key, base), "");
    EXPECT_EQ(SeekAllSlots(true, key, base), "");
    EXPECT_TRUE(board->machine.trace().empty());
}

TEST_F(SeekAllSlotsTest, TheAsusSwitchIsHandedToEveryRead) {
    Use("asus-vt82c686a");  // the module in slot 0 is reached through the switch only
    EXPECT_EQ(SeekAllSlots(false, key, base), "");
    const std::string joined = SeekAllSlots(true, key, base);
    EXPECT_EQ(joined, SlotReport(true, 0));
    EXPECT_EQ(Count(joined, "--- [ DIMM "), 1u);
}

}  // namespace
}  // namespace ynvex
