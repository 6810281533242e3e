// The board hardware around detection and the ASUS switch, driven through
// the ports as a program would.
#include <gtest/gtest.h>

#include "hw/ports.h"
#include "sim/asus_mux.h"
#include "sim/chipset.h"
#include "sim/machine.h"
#include "sim/superio.h"

namespace ynvex::sim {
namespace {

std::uint32_t config_address(int dev, int func, int reg) {
    return 0x80000000u | static_cast<std::uint32_t>(dev) << 11 |
           static_cast<std::uint32_t>(func) << 8 | (static_cast<std::uint32_t>(reg) & 0xFC);
}

std::uint32_t read_config(Machine& m, int dev, int func, int reg) {
    m.out32(0xCF8, config_address(dev, func, reg));
    return m.in32(0xCFC);
}

TEST(IchLpcBridge, FunctionDisableBit3HidesTheSmbusFunctionUntilCleared) {
    Machine m;
    auto& lpc =
        m.add_pci<IchLpcBridge>(0, 31, 0, m, std::uint8_t{0}, std::uint8_t{31}, 0x24408086u);
    m.add_pci(0, 31, 3, 0x24438086u);
    m.add_pci(0, 31, 5, 0x24458086u);
    lpc.set_function_disable(0x0008);
    EXPECT_EQ(read_config(m, 31, 3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(read_config(m, 31, 5, 0), 0x24458086u) << "only function 3 is disabled";
    EXPECT_EQ(read_config(m, 31, 0, 0), 0x24408086u);

    // The word at 0xF2 is the high half of dword 0xF0; bit 5 disables 00:1F.5.
    m.out32(0xCF8, config_address(31, 0, 0xF0));
    m.out16(0xCFE, 0x0020);
    EXPECT_EQ(read_config(m, 31, 3, 0), 0x24438086u);
    EXPECT_EQ(read_config(m, 31, 5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(lpc.function_disable(), 0x0020);
}

TEST(Sis630LpcBridge, AcpiBaseReadsZeroWhileAcpiIsDisabled) {
    Machine m;
    auto& bridge = m.add_pci<Sis630LpcBridge>(0, 1, 0, 0x00081039u, std::uint8_t{0}, 0x5000, false);
    EXPECT_EQ(read_config(m, 1, 0, 0x74) & 0xFFFF, 0u);
    bridge.poke8(Sis630LpcBridge::kBiosControl, Sis630LpcBridge::kAcpiEnable);
    EXPECT_EQ(read_config(m, 1, 0, 0x74) & 0xFFFF, 0x5000u);
}

TEST(WinbondSuperIo, AnswersOnlyAfterTheEntryKeyTwiceInARow) {
    Machine m;
    auto& sio = m.add_io<WinbondSuperIo>();
    sio.set_reg(8, 0xF1, 0x5A);
    m.out8(0x2E, 0x20);
    EXPECT_EQ(m.in8(0x2F), 0xFF) << "not in configuration mode";
    m.out8(0x2E, 0x87);
    m.out8(0x2E, 0x55);
    m.out8(0x2E, 0x87);
    EXPECT_FALSE(sio.in_config_mode()) << "the key was interrupted";
    m.out8(0x2E, 0x87);
    ASSERT_TRUE(sio.in_config_mode());
    m.out8(0x2E, 0x20);
    EXPECT_EQ(m.in8(0x2F), 0x52);  // device ID
    m.out8(0x2F, 0x00);
    EXPECT_EQ(m.in8(0x2F), 0x52) << "the device ID is read-only";

    int writes = 0;
    sio.on_gpio2_write = [&] { ++writes; };
    m.out8(0x2E, 0x07);
    m.out8(0x2F, 0x07);  // another logical device: its 0xF1 is not GPIO 2
    m.out8(0x2E, 0xF1);
    m.out8(0x2F, 0x11);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(sio.reg(8, 0xF1), 0x5A);
    m.out8(0x2E, 0x07);
    m.out8(0x2F, 0x08);
    m.out8(0x2E, 0xF1);
    EXPECT_EQ(m.in8(0x2F), 0x5A);
    m.out8(0x2F, 0x12);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(sio.reg(8, 0xF1), 0x12);
    EXPECT_EQ(sio.reg(7, 0xF1), 0x11);

    m.out8(0x2E, 0xAA);
    EXPECT_FALSE(sio.in_config_mode());
    EXPECT_EQ(m.in8(0x2F), 0xFF);
}

TEST(OutputRegister, ByteLanesOfAWordRegisterThatFollowsItsBase) {
    Machine m;
    auto& bridge = m.add_pci(0, 1, 0, 0x00081039u);
    bridge.poke16(0x74, 0x4001);  // bit 0 is the I/O-space indicator
    auto& reg =
        m.add_io<OutputRegister>(bridge, std::uint8_t{0x74}, std::uint16_t{0x3A}, 2, 0xABCDu);
    int writes = 0;
    reg.on_write = [&] { ++writes; };
    EXPECT_EQ(m.in16(0x403A), 0xABCD);
    EXPECT_EQ(m.in8(0x403B), 0xAB);
    m.out8(0x403B, 0x12);
    EXPECT_EQ(reg.value(), 0x12CDu);
    m.out16(0x403A, 0x3456);
    EXPECT_EQ(reg.value(), 0x3456u);
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(m.in16(0x403B), 0xFF34) << "the lane past the register floats";

    bridge.poke16(0x74, 0x6001);
    EXPECT_EQ(m.in16(0x403A), 0xFFFF);
    EXPECT_EQ(m.in16(0x603A), 0x3456);
    bridge.poke16(0x74, 0x0000);
    EXPECT_FALSE(reg.decodes(0x003A)) << "an unassigned base decodes nothing";
}

TEST(AsusMux, ConnectsTheSocketsOnlyWhileSelected) {
    Machine m;
    auto& gpo = m.add_io<OutputRegister>(std::uint16_t{0xE437}, 1, 0x00u);
    SmbusSegment dimms;
    dimms.attach(0x50).bytes[7] = 0x42;
    AsusMux mux(dimms, [&] { return (gpo.value() & 0x18) == 0x08; });
    gpo.on_write = [&] { mux.update(); };

    EXPECT_EQ(mux.read_byte_data(0x50, 7), std::nullopt);
    m.out8(0xE437, 0x08);
    EXPECT_EQ(mux.read_byte_data(0x50, 7), 0x42);
    EXPECT_EQ(mux.read_byte_data(0x51, 7), std::nullopt) << "an empty socket still NACKs";
    m.out8(0xE437, 0x18);
    EXPECT_FALSE(mux.write_byte_data(0x50, 7, 1));
    m.out8(0xE437, 0x18);  // no change, no event
    using E = AsusMux::Event;
    const std::vector<E> expected = {E::Refused,   E::Connect,    E::Forwarded,
                                     E::Forwarded, E::Disconnect, E::Refused};
    EXPECT_EQ(mux.log(), expected);
}

}  // namespace
}  // namespace ynvex::sim
