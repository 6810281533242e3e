// Detection on every simulated board preset.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "detect/Upmd.h"
#include "hw/ports.h"
#include "sim/boards.h"
#include "spd/Uspd.h"
#include "tests/detect/expect_record.h"

namespace ynvex {
namespace {

const std::map<std::string, Expected>& expectations() {
    static const std::map<std::string, Expected> table = {
        {"piix4", {7, 3, 0x71138086, 1, 0x5000, "intel 82371AB (PIIX4)"}},
        {"piix4e", {7, 3, 0x71938086, 2, 0x5000, "intel 82371EB (PIIX4E)"}},
        {"piix4-rev2", {7, 3, 0x71938086, 2, 0x5000, "intel 82371EB (PIIX4E)"}},
        {"ich", {31, 3, 0x24138086, 2, 0x5000, "intel 82801AA (ICH)"}},
        {"ich0", {31, 3, 0x24238086, 2, 0x5000, "intel 82801AB (ICH0)"}},
        {"ich2", {31, 3, 0x24438086, 5, 0x5000, "intel 82801BA (ICH2)"}},
        {"ich2m", {31, 3, 0x24C38086, 5, 0x5000, "intel 82801BAM (ICH2-M)"}},
        {"ich2-on-244c", {31, 3, 0x24C38086, 5, 0x5000, "intel 82801BAM (ICH2-M)"}},
        {"ich3m", {31, 3, 0x24838086, 2, 0x5000, "intel 82801CAM (ICH3-M)"}},
        {"amd756", {7, 3, 0x740B1022, 3, 0xE400, "AMD AMD-756"}},
        {"amd766", {7, 3, 0x74131022, 2, 0xE400, "AMD AMD-766"}},
        {"amd768", {7, 3, 0x74431022, 4, 0xE400, "AMD AMD-768"}},
        {"vt82c596b-3050", {7, 3, 0x30501106, 0, 0x5000, "VIA VT82C596B"}},
        {"vt82c596b-3051", {7, 3, 0x30511106, 0, 0x5000, "VIA VT82C596B"}},
        {"vt82c686a", {7, 4, 0x30571106, 0x30, 0x5000, "VIA VT82C686A"}},
        {"vt82c686b", {7, 4, 0x30D71106, 0x40, 0x5000, "VIA VT82C686B"}},
        {"vt82c686a-rev40", {7, 4, 0x30D71106, 0x40, 0x5000, "VIA VT82C686B"}},
        {"vt8231", {17, 4, 0x82351106, 0x10, 0x5000, "VIA VT8231"}},
        {"vt8233", {17, 0, 0x82311106, 0, 0x5000, "VIA VT8233"}},
        {"vt8233c", {17, 0, 0x30741106, 0, 0x5000, "VIA VT8233C"}},
        {"sis5595", {1, 0, 0x00081039, 1, 0x4000, "SiS 5595"}},
        {"sis630", {1, 0, 0x06301039, 0x31, 0x5000, "SiS 630"}},
        {"ali-m1535d", {17, 0, 0x710110B9, 0, 0x5000, "ALi M1535D+"}},
        {"asus-piix4", {7, 3, 0x71138086, 1, 0x5000, "intel 82371AB (PIIX4)"}},
        {"asus-piix4e", {7, 3, 0x71938086, 2, 0x5000, "intel 82371EB (PIIX4E)"}},
        {"asus-ich", {31, 3, 0x24138086, 2, 0x5000, "intel 82801AA (ICH)"}},
        {"asus-ich0", {31, 3, 0x24238086, 2, 0x5000, "intel 82801AB (ICH0)"}},
        {"asus-ich2", {31, 3, 0x24438086, 5, 0x5000, "intel 82801BA (ICH2)"}},
        {"asus-vt8233", {17, 0, 0x82311106, 0, 0x5000, "VIA VT8233"}},
        {"asus-vt82c686a", {7, 4, 0x30571106, 0x30, 0x5000, "VIA VT82C686A"}},
        {"asus-vt82c686b", {7, 4, 0x30D71106, 0x40, 0x5000, "VIA VT82C686B"}},
        {"asus-vt82c596b-3050", {7, 3, 0x30501106, 0, 0x5000, "VIA VT82C596B"}},
        {"asus-vt82c596b-3051", {7, 3, 0x30511106, 0, 0x5000, "VIA VT82C596B"}},
        {"asus-sis630", {1, 0, 0x06301039, 0x31, 0x5000, "SiS 630"}},
        {"asus-ali", {17, 0, 0x710110B9, 0, 0x5000, "ALi M1535D+"}},
        {"no-controller", {-1, -1, 0xFFFFFFFF, -1, -1, "Unknown"}},
        {"ich-hidden", {31, 3, 0x24138086, 2, 0x5000, "intel 82801AA (ICH)"}},
        {"sis630-acpi-off", {-1, -1, 0x06301039, 0x31, -1, "SiS 630"}},
        {"sis5595-function1", {-1, -1, 0xFFFFFFFF, -1, -1, "Unknown"}},
        {"sis5595-no-partner", {-1, -1, 0xFFFFFFFF, -1, -1, "Unknown"}},
        {"two-controllers", {7, 3, 0x71138086, 1, 0x5000, "intel 82371AB (PIIX4)"}},
        {"demo", {17, 0, 0x30741106, 0, 0x5000, "VIA VT8233C"}},
    };
    return table;
}

TEST(PresetDetection, EveryPresetDetectsAsItsControllerRow) {
    for (const auto& preset : sim::board_presets()) {
        SCOPED_TRACE(preset.name);
        auto it = expectations().find(preset.name);
        ASSERT_NE(it, expectations().end()) << "no expectation for this preset";
        const Expected& e = it->second;
        auto board = sim::make_board(preset.name);
        ASSERT_NE(board, nullptr);
        hw::ScopedPortBackend backend(board->machine);
        TPMD pmd;
        pmd.Unhide();
        pmd.Detect();
        expect_record(pmd, e);
    }
}

TEST(PresetDetection, EveryControllerRowHasABoard) {
    std::set<std::uint32_t> keys;
    for (const auto& [name, e] : expectations()) keys.insert(e.did);
    for (const auto& row : PMDcontrollers()) {
        EXPECT_TRUE(keys.count(row.key)) << std::hex << row.key;
    }
}

TEST(PresetDetection, EveryMultiplexerRowHasAnAsusBoard) {
    std::set<std::uint32_t> keys;
    for (const auto& preset : sim::board_presets()) {
        auto board = sim::make_board(preset.name);
        if (board->mux() == nullptr) continue;
        hw::ScopedPortBackend backend(board->machine);
        TPMD pmd;
        pmd.Unhide();
        pmd.Detect();
        keys.insert(pmd.did);
    }
    for (std::uint32_t key : kAsmsTable.key) EXPECT_TRUE(keys.count(key)) << std::hex << key;
}

TEST(PresetDetection, HiddenFunctionIsOnlyFoundAfterTheUnhideStep) {
    for (const char* name : {"ich-hidden", "asus-ich2"}) {
        SCOPED_TRACE(name);
        auto board = sim::make_board(name);
        hw::ScopedPortBackend backend(board->machine);
        TPMD pmd;
        pmd.Detect();
        EXPECT_EQ(pmd.name, "Unknown");
        pmd.Unhide();
        pmd.Detect();
        EXPECT_EQ(pmd.dev, 31);
        EXPECT_EQ(pmd.func, 3);
    }
}

}  // namespace
}  // namespace ynvex
