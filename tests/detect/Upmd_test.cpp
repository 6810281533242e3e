// Controller detection on small hand-built buses.
#include "detect/Upmd.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hw/ports.h"
#include "sim/chipset.h"
#include "sim/machine.h"
#include "tests/detect/expect_record.h"

namespace ynvex {
namespace {

class DetectTest : public ::testing::Test {
  protected:
    TPMD detect() {
        TPMD pmd;
        pmd.Unhide();
        pmd.Detect();
        return pmd;
    }
    sim::PciFunction& add(int dev, int func, std::uint32_t key, std::uint8_t rid = 0) {
        return board_.add_pci(0, static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(func),
                              key, rid);
    }
    // A function that a config write at the given offset reached.
    bool wrote_config(std::uint16_t window_port) const {
        for (const auto& a : board_.trace()) {
            if (a.dir == sim::Dir::Out && a.port == window_port) return true;
        }
        return false;
    }

    sim::Machine board_;
    hw::ScopedPortBackend backend_{board_};
};

TEST_F(DetectTest, NothingKnownOnTheBus) {
    add(0, 0, 0x71908086);   // a 440BX host bridge
    add(7, 0, 0x71108086);   // the PIIX4 ISA bridge, without its power-management function
    add(31, 0, 0x24C08086);  // an ICH4 LPC bridge: not one whose SMBus gets unhidden
    expect_record(detect(), {-1, -1, 0xFFFFFFFF, -1, -1, "Unknown"});
    EXPECT_FALSE(wrote_config(0xCFE));
}

TEST_F(DetectTest, LowerDeviceThenLowerFunctionWins) {
    add(9, 3, 0x740B1022, 4).make_io_bar(0x58, 0xE800, 256);
    add(9, 1, 0x30501106, 5).make_io_bar(0x90, 0x5000, 16);
    add(17, 0, 0x71138086, 1).make_io_bar(0x90, 0x6000, 16);
    expect_record(detect(), {9, 1, 0x30501106, 5, 0x5000, "VIA VT82C596B"});
}

TEST_F(DetectTest, FunctionSevenOfADeviceComesBeforeTheNextDevice) {
    add(4, 7, 0x74431022, 2).make_io_bar(0x58, 0xE400, 256);
    add(5, 0, 0x71138086, 1).make_io_bar(0x90, 0x6000, 16);
    expect_record(detect(), {4, 7, 0x74431022, 2, 0xE400, "AMD AMD-768"});
}

TEST_F(DetectTest, RevisionRulesGiveTheSubstituteKeys) {
    struct Case {
        std::uint32_t key;
        std::uint8_t rid;
        std::uint32_t did;
        const char* name;
    };
    const Case cases[] = {
        {0x71138086, 0x00, 0x71138086, "intel 82371AB (PIIX4)"},
        {0x71138086, 0x01, 0x71138086, "intel 82371AB (PIIX4)"},
        {0x71138086, 0x02, 0x71938086, "intel 82371EB (PIIX4E)"},
        {0x71138086, 0x03, 0x71938086, "intel 82371EB (PIIX4E)"},
        {0x30571106, 0x3F, 0x30571106, "VIA VT82C686A"},
        {0x30571106, 0x40, 0x30D71106, "VIA VT82C686B"},
        {0x30571106, 0x83, 0x30571106, "VIA VT82C686A"},
        // Other rows do not look at the revision.
        {0x24438086, 0xFF, 0x24438086, "intel 82801BA (ICH2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.key << " rev " << int{c.rid});
        sim::Machine board;
        hw::ScopedPortBackend backend(board);
        auto& function = board.add_pci(0, 7, 4, c.key, c.rid);
        function.make_io_bar(0x90, 0xE800, 16);
        function.make_io_bar(0x20, 0xE800, 16);
        TPMD pmd;
        pmd.Detect();
        expect_record(pmd, {7, 4, c.did, c.rid, 0xE800, c.name});
    }
}

TEST_F(DetectTest, Ich2IsTheMobileOneOnlyBesideThe244CBridge) {
    for (std::uint32_t lpc : {0x24408086u, 0x244C8086u, 0x24C08086u}) {
        SCOPED_TRACE(::testing::Message() << std::hex << lpc);
        sim::Machine board;
        hw::ScopedPortBackend backend(board);
        board.add_pci(0, 31, 0, lpc);
        board.add_pci(0, 31, 3, 0x24438086u, std::uint8_t{0x05}).make_io_bar(0x20, 0xE800, 16);
        TPMD pmd;
        pmd.Detect();
        if (lpc == 0x244C8086u) {
            expect_record(pmd, {31, 3, 0x24C38086, 5, 0xE800, "intel 82801BAM (ICH2-M)"});
        } else {
            expect_record(pmd, {31, 3, 0x24438086, 5, 0xE800, "intel 82801BA (ICH2)"});
        }
    }
}

TEST_F(DetectTest, Sis5595NeedsFunctionZeroAndItsPartner) {
    // Rejected: a 0x0008 bridge alone, and one at function 2 beside a partner
    // at function 3. The scan goes on to later functions and devices.
    add(1, 0, 0x00081039).poke16(0x90, 0x4000);
    add(2, 2, 0x00081039).poke16(0x90, 0x4100);
    add(2, 3, 0x00091039);
    add(2, 4, 0x30741106, 0x11).make_io_bar(0xD0, 0x5000, 16);
    expect_record(detect(), {2, 4, 0x30741106, 0x11, 0x5000, "VIA VT8233C"});

    sim::Machine board;
    hw::ScopedPortBackend backend(board);
    board.add_pci(0, 1, 0, 0x00081039u, std::uint8_t{0x01}).poke16(0x90, 0x4009);
    board.add_pci(0, 1, 1, 0x00091039u);
    TPMD pmd;
    pmd.Detect();
    expect_record(pmd, {1, 0, 0x00081039, 1, 0x4008, "SiS 5595"});
}

TEST_F(DetectTest, Sis630TakesTheAcpiBaseOfDeviceOne) {
    add(0, 0, 0x06301039, 0x31).poke16(0x74, 0x1111);
    auto& lpc = board_.add_pci<sim::Sis630LpcBridge>(0, 1, 0, 0x00081039u, std::uint8_t{0},
                                                     std::uint16_t{0x5001}, true);
    expect_record(detect(), {1, 0, 0x06301039, 0x31, 0x5000, "SiS 630"});

    // With ACPI disabled there is no base: a partial result.
    lpc.poke8(sim::Sis630LpcBridge::kBiosControl, 0x7F);
    expect_record(detect(), {-1, -1, 0x06301039, 0x31, -1, "SiS 630"});
}

TEST_F(DetectTest, AliBaseIsTheWordAtE2) {
    add(17, 0, 0x710110B9, 0x00).poke32(0xE0, 0xE801ABCD);
    expect_record(detect(), {17, 0, 0x710110B9, 0, 0xE800, "ALi M1535D+"});
}

TEST_F(DetectTest, UnprogrammedBaseRegisterMeansNoBase) {
    add(7, 3, 0x71138086, 1).poke32(0x90, 0x00000001);
    expect_record(detect(), {7, 3, 0x71138086, 1, -1, "intel 82371AB (PIIX4)"});
}

TEST_F(DetectTest, UnhideClearsOnlyBit3AndOnlyWhenSet) {
    for (std::uint32_t lpc_key :
         {0x24108086u, 0x24208086u, 0x24408086u, 0x244C8086u, 0x248C8086u}) {
        SCOPED_TRACE(::testing::Message() << std::hex << lpc_key);
        sim::Machine board;
        hw::ScopedPortBackend backend(board);
        auto& lpc = board.add_pci<sim::IchLpcBridge>(0, 31, 0, board, std::uint8_t{0},
                                                     std::uint8_t{31}, lpc_key);
        board.add_pci(0, 31, 3, 0x24838086u).make_io_bar(0x20, 0xE800, 16);
        // Modem, SMBus and IDE off, and a bit of the upper byte that the
        // firmware left set.
        lpc.set_function_disable(0x814A);

        TPMD pmd;
        pmd.Detect();
        EXPECT_EQ(pmd.name, "Unknown") << "hidden before the unhide step";
        board.clear_trace();
        pmd.Unhide();
        EXPECT_EQ(lpc.function_disable(), 0x8142);
        // The whole word goes back as read, bit 3 cleared.
        const sim::Access write_back{sim::Dir::Out, 16, 0xCFE, 0x8142};
        EXPECT_EQ(std::count(board.trace().begin(), board.trace().end(), write_back), 1);
        pmd.Detect();
        expect_record(pmd, {31, 3, 0x24838086, 0, 0xE800, "intel 82801CAM (ICH3-M)"});

        board.clear_trace();
        pmd.Unhide();  // bit 3 already clear: read, no write
        EXPECT_EQ(board.trace().size(), 12u);
        for (const auto& a : board.trace()) {
            EXPECT_FALSE(a.dir == sim::Dir::Out && a.port >= 0xCFC && a.port <= 0xCFF);
        }
    }
}

TEST_F(DetectTest, UnhideLeavesOtherBridgesAlone) {
    auto& lpc = board_.add_pci<sim::IchLpcBridge>(0, 31, 0, board_, std::uint8_t{0},
                                                  std::uint8_t{31}, 0x24C08086u);
    add(31, 3, 0x24C38086).make_io_bar(0x20, 0xE800, 16);
    lpc.set_function_disable(0x0008);
    TPMD pmd;
    pmd.Unhide();
    EXPECT_EQ(lpc.function_disable(), 0x0008);
    EXPECT_EQ(board_.trace().size(), 6u) << "one configuration read of the ID key";
}

}  // namespace
}  // namespace ynvex
