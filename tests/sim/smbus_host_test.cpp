#include "sim/smbus_host.h"

#include <gtest/gtest.h>

#include "sim/machine.h"
#include "sim/smbus.h"

namespace ynvex::sim {
namespace {

// The chips driven by hand through their ports, the way their drivers do.
class HostModel : public ::testing::Test {
  protected:
    HostModel() {
        SpdEeprom& eeprom = spd.attach(0x50);
        for (int i = 0; i < 256; ++i) eeprom.bytes[i] = static_cast<std::uint8_t>(0x80 + i);
    }

    SmbusHost& add(HostFamily family, std::uint32_t id, std::uint8_t reg, std::uint16_t word) {
        PciFunction& function = board.add_pci(0, 7, 3, id);
        function.poke16(reg, word);
        fn = &function;
        return board.add_io<SmbusHost>(family, function, reg, spd);
    }

    Machine board;
    SmbusSegment spd;
    PciFunction* fn = nullptr;
};

TEST_F(HostModel, DecodesAtTheBaseItsFunctionHoldsNow) {
    SmbusHost& host = add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    EXPECT_EQ(host.base(), 0x5000);
    board.out8(0x5003, 0x12);
    EXPECT_EQ(board.in8(0x5003), 0x12);
    fn->poke16(0x90, 0x6001);  // the board (or the firmware) moves it
    EXPECT_EQ(board.in8(0x5003), 0xFF);
    EXPECT_EQ(board.in8(0x6003), 0x12);
    fn->set_hidden(true);
    EXPECT_EQ(board.in8(0x6003), 0xFF);
    fn->set_hidden(false);
    host.set_enable_bit(0xD2, 0x01);
    EXPECT_EQ(board.in8(0x6003), 0xFF);  // host enable clear
    fn->poke8(0xD2, 0x09);
    EXPECT_EQ(board.in8(0x6003), 0x12);
    fn->poke16(0x90, 0x0001);  // an unprogrammed base decodes nothing
    EXPECT_FALSE(host.decodes(0x0003));
}

TEST_F(HostModel, DefaultChipFlagsAreStickyAndClearedByWritingOnes) {
    add(HostFamily::Default, 0x24438086, 0x20, 0x5001);
    board.out8(0x5004, 0xA1);
    board.out8(0x5003, 0x02);
    board.out8(0x5002, 0x48);
    EXPECT_EQ(board.in8(0x5002), 0x08);  // START reads 0
    EXPECT_EQ(board.in8(0x5000), 0x01);  // busy
    EXPECT_EQ(board.in8(0x5000), 0x02);  // done
    EXPECT_EQ(board.in8(0x5000), 0x02);  // and stays
    EXPECT_EQ(board.in8(0x5005), 0x82);
    board.out8(0x5000, 0x01);  // the busy bit is the chip's: no effect
    EXPECT_EQ(board.in8(0x5000), 0x02);
    board.out8(0x5000, 0x02);
    EXPECT_EQ(board.in8(0x5000), 0x00);
}

TEST_F(HostModel, DefaultChipWordAndNack) {
    SmbusHost& host = add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    host.set_busy_reads(3);
    board.out8(0x5004, 0xA1);
    board.out8(0x5003, 0x10);
    board.out8(0x5002, 0x4C);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(board.in8(0x5000), 0x01) << i;
    EXPECT_EQ(board.in8(0x5000), 0x02);
    EXPECT_EQ(board.in8(0x5005), 0x90);  // the first byte on the wire
    EXPECT_EQ(board.in8(0x5006), 0x91);
    board.out8(0x5000, 0xFF);
    board.out8(0x5004, 0xA3);  // 0x51: nobody there
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    board.in8(0x5000);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x04);
    EXPECT_EQ(board.in8(0x5005), 0x90);  // no data register is updated
}

TEST_F(HostModel, DefaultChipRunsNothingWhileDeviceErrorIsLeftSet) {
    add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    board.out8(0x5004, 0xA3);  // nobody there
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x04);
    board.out8(0x5004, 0xA1);  // the EEPROM, but DEV_ERR still set
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x04);
    board.out8(0x5000, 0x04);
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x02);
}

TEST_F(HostModel, DefaultChipKillEndsTheCycleWithFailed) {
    SmbusHost& host = add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    host.never_end();
    board.out8(0x5004, 0xA1);
    board.out8(0x5002, 0x48);
    EXPECT_EQ(board.in8(0x5000), 0x01);
    EXPECT_EQ(board.in8(0x5000), 0x01);
    board.out8(0x5002, 0x48);  // a start while busy is not taken
    EXPECT_EQ(host.transactions_started(), 1u);
    board.out8(0x5002, 0x02);
    EXPECT_EQ(board.in8(0x5000), 0x10);
    EXPECT_EQ(host.kills(), 1u);
}

TEST_F(HostModel, WordWriteGoesOutData0First) {
    add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    board.out8(0x5004, 0xA0);
    board.out8(0x5003, 0x20);
    board.out8(0x5005, 0x12);
    board.out8(0x5006, 0x34);
    board.out8(0x5002, 0x4C);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x02);
    EXPECT_EQ(spd.device(0x50)->bytes[0x20], 0x12);
    EXPECT_EQ(spd.device(0x50)->bytes[0x21], 0x34);
}

TEST_F(HostModel, AliShowsIdleAndStartsOnAnyWriteToPlus2) {
    SmbusHost& host = add(HostFamily::AliM7101, 0x710110B9, 0xE2, 0xE801);
    EXPECT_EQ(board.in8(0xE800), 0x04);  // idle
    board.out8(0xE803, 0xA1);
    board.out8(0xE807, 0x05);
    board.out8(0xE801, 0x20);
    EXPECT_EQ(host.transactions_started(), 0u);  // the type alone does not start
    board.out8(0xE802, 0x00);
    EXPECT_EQ(board.in8(0xE800), 0x08);  // busy, not idle
    EXPECT_EQ(board.in8(0xE800), 0x14);  // done and idle again
    EXPECT_EQ(board.in8(0xE804), 0x85);
    board.out8(0xE800, 0xFF);
    board.out8(0xE803, 0xA3);
    board.out8(0xE802, 0xFF);
    board.in8(0xE800);
    EXPECT_EQ(board.in8(0xE800), 0x54);  // no response, with done
}

// One status bit stands for "collision or no response"; a transaction the
// chip fails or terminates shows 0x80.
TEST_F(HostModel, AliReportsACollisionLikeANackAndATerminationAs0x80) {
    SmbusHost& host = add(HostFamily::AliM7101, 0x710110B9, 0xE2, 0xE801);
    board.out8(0xE803, 0xA1);
    board.out8(0xE801, 0x20);
    host.collide(1);
    board.out8(0xE802, 0xFF);
    board.in8(0xE800);
    EXPECT_EQ(board.in8(0xE800), 0x54);
    board.out8(0xE800, 0xFF);
    host.terminate(1);
    board.out8(0xE802, 0xFF);
    board.in8(0xE800);
    EXPECT_EQ(board.in8(0xE800), 0x84);
    board.out8(0xE800, 0xFF);
    board.out8(0xE802, 0xFF);
    board.in8(0xE800);
    EXPECT_EQ(board.in8(0xE800), 0x14);  // each fault once
    EXPECT_EQ(host.transactions_started(), 3u);
}

TEST_F(HostModel, Sis630KeepsItsBusyFlagInTheSecondRegister) {
    PciFunction& bridge = board.add_pci(0, 1, 0, 0x00081039u);
    bridge.poke16(0x74, 0x4001);
    bridge.poke8(0x40, 0x80);
    SmbusHost& host = board.add_io<SmbusHost>(HostFamily::Sis630, bridge, 0x74, spd);
    host.set_enable_bit(0x40, 0x80);
    EXPECT_FALSE(host.decodes(0x4000));
    EXPECT_FALSE(host.decodes(0x407F));
    board.out8(0x4084, 0xA1);
    board.out8(0x4085, 0x07);
    board.out8(0x4083, 0x12);
    EXPECT_EQ(board.in8(0x4082), 0x01);  // busy
    EXPECT_EQ(board.in8(0x4080), 0x08);  // completion
    EXPECT_EQ(board.in8(0x4082), 0x00);
    EXPECT_EQ(board.in8(0x4088), 0x87);
    bridge.poke8(0x40, 0x00);  // ACPI off: the block goes away
    EXPECT_EQ(board.in8(0x4088), 0xFF);
}

TEST_F(HostModel, Sis5595FillsTheHostDataBytesNotTheSlaveOnes) {
    PciFunction& bridge = board.add_pci(0, 1, 0, 0x00081039u);
    bridge.poke16(0x90, 0x4000);
    SmbusHost& host = board.add_io<SmbusHost>(HostFamily::Sis5595, bridge, 0x90, spd);
    EXPECT_TRUE(host.decodes(0x4038));
    EXPECT_TRUE(host.decodes(0x4039));
    EXPECT_FALSE(host.decodes(0x403A));
    EXPECT_FALSE(host.decodes(0x4000));
    auto write = [&](std::uint8_t reg, std::uint8_t value) {
        board.out8(0x4038, reg);
        board.out8(0x4039, value);
    };
    auto read = [&](std::uint8_t reg) {
        board.out8(0x4038, reg);
        return board.in8(0x4039);
    };
    write(0x11, 0x5A);
    write(0x04, 0xA1);
    write(0x05, 0x03);
    write(0x02, 0x16);
    EXPECT_EQ(read(0x00), 0x08);
    EXPECT_EQ(read(0x00), 0x40);
    EXPECT_EQ(read(0x08), 0x83);
    EXPECT_EQ(read(0x09), 0x84);
    EXPECT_EQ(read(0x11), 0x5A);  // the host-as-slave byte is untouched
    write(0x00, 0x40);
    write(0x04, 0xA3);
    write(0x02, 0x14);
    read(0x00);
    EXPECT_EQ(read(0x00), 0x50);  // done with "failed / no response"
    host.report_nack_as_collision();
    write(0x00, 0xFF);
    write(0x02, 0x14);
    read(0x00);
    EXPECT_EQ(read(0x00), 0x60);
}

TEST_F(HostModel, AmdDataRegisterIsSixteenBitsLowByteFirst) {
    add(HostFamily::Amd, 0x74431022, 0x58, 0xE401);
    board.out16(0xE4E4, 0x00A1);
    board.out8(0xE4E8, 0x00);
    board.out16(0xE4E2, 0x000B);
    EXPECT_EQ(board.in16(0xE4E0), 0x0008);  // host busy
    EXPECT_EQ(board.in16(0xE4E0), 0x0010);  // cycle complete
    EXPECT_EQ(board.in16(0xE4E6), 0x8180);
    EXPECT_EQ(board.in8(0xE4E7), 0x81);
    board.out16(0xE4E0, 0x0037);
    EXPECT_EQ(board.in16(0xE4E0), 0x0000);
    board.out16(0xE4E2, 0x0020);  // abort
    EXPECT_EQ(board.in8(0xE4E0), 0x01);
    EXPECT_EQ(board.in8(0xE400), 0xFF);  // the PM base itself is not the SMBus
}

TEST_F(HostModel, FaultsBusyAtStartCollisionAndAllOnes) {
    SmbusHost& host = add(HostFamily::Default, 0x71138086, 0x90, 0x5001);
    host.busy_at_start(2);
    EXPECT_EQ(board.in8(0x5000), 0x01);
    EXPECT_EQ(board.in8(0x5000), 0x01);
    EXPECT_EQ(board.in8(0x5000), 0x00);  // over, and it leaves no flag
    host.collide(1);
    board.out8(0x5004, 0xA1);
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x08);
    board.out8(0x5000, 0x08);
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x02);  // only once
    host.read_all_ones();
    EXPECT_EQ(board.in8(0x5000), 0xFF);
    board.out8(0x5002, 0x48);
    EXPECT_EQ(host.transactions_started(), 2u);
    host.read_all_ones(false);
    host.hang();
    board.out8(0x5000, 0xFF);
    board.out8(0x5002, 0x02);
    EXPECT_EQ(board.in8(0x5000), 0x01);  // the kill does not help
}

TEST_F(HostModel, OwnsASharedTarget) {
    auto segment = std::make_shared<SmbusSegment>();
    segment->attach(0x52).bytes[0] = 0x42;
    PciFunction& function = board.add_pci(0, 7, 3, 0x71138086u);
    function.poke16(0x90, 0x5001);
    board.add_io<SmbusHost>(HostFamily::Default, function, 0x90, std::move(segment));
    board.out8(0x5004, 0xA5);
    board.out8(0x5003, 0x00);
    board.out8(0x5002, 0x48);
    board.in8(0x5000);
    EXPECT_EQ(board.in8(0x5000), 0x02);
    EXPECT_EQ(board.in8(0x5005), 0x42);
}

}  // namespace
}  // namespace ynvex::sim
