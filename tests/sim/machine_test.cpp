#include "sim/machine.h"

#include <gtest/gtest.h>

namespace ynvex::sim {
namespace {

class MachineTest : public ::testing::Test {
  protected:
    MachineTest() {
        function_ = &board_.add_pci(0, 7, 3, 0x71138086u, std::uint8_t{2});
        function_->poke32(0x40, 0x11223344);
        function_->make_io_bar(0x90, 0x5000, 16);
    }
    void select(std::uint32_t address) { board_.out32(0xCF8, address); }

    Machine board_;
    PciFunction* function_ = nullptr;
};

TEST_F(MachineTest, DataWindowReachesTheBytesOfTheAddressedDword) {
    select(0x80003B40);
    EXPECT_EQ(board_.in32(0xCFC), 0x11223344u);
    EXPECT_EQ(board_.in16(0xCFC), 0x3344u);
    EXPECT_EQ(board_.in16(0xCFE), 0x1122u);
    EXPECT_EQ(board_.in8(0xCFD), 0x33u);
    EXPECT_EQ(board_.in8(0xCFF), 0x11u);
    board_.out8(0xCFE, 0xAB);
    EXPECT_EQ(function_->peek32(0x40), 0x11AB3344u);
    board_.out16(0xCFC, 0xBEEF);
    EXPECT_EQ(function_->peek32(0x40), 0x11ABBEEFu);
}

TEST_F(MachineTest, EnableBitClearOrAbsentFunctionReadsAllOnes) {
    select(0x00003B40);
    EXPECT_EQ(board_.in32(0xCFC), 0xFFFFFFFFu);
    board_.out32(0xCFC, 0);
    EXPECT_EQ(function_->peek32(0x40), 0x11223344u);
    select(0x80004000);  // device 8: nobody
    EXPECT_EQ(board_.in32(0xCFC), 0xFFFFFFFFu);
    EXPECT_EQ(board_.in16(0xCFE), 0xFFFFu);
    EXPECT_EQ(board_.in8(0xCFD), 0xFFu);
}

TEST_F(MachineTest, OnlyDwordAccessesLatchTheAddress) {
    select(0x80003B40);
    board_.out8(0xCF8, 0x00);
    board_.out16(0xCF8, 0x0000);
    EXPECT_EQ(board_.in32(0xCF8), 0x80003B40u);
    EXPECT_EQ(board_.in8(0xCF8), 0xFFu);  // passes through, unclaimed
}

TEST_F(MachineTest, ReadOnlyBitsKeepTheirValue) {
    select(0x80003B00);
    board_.out32(0xCFC, 0);
    EXPECT_EQ(board_.in32(0xCFC), 0x71138086u);
    select(0x80003B90);
    board_.out32(0xCFC, 0xFFFFFFFF);
    EXPECT_EQ(board_.in32(0xCFC), 0x0000FFF1u);  // bit 0 is the I/O indicator, 16 bytes decode
}

TEST_F(MachineTest, HiddenFunctionDoesNotAnswer) {
    function_->set_hidden(true);
    select(0x80003B00);
    EXPECT_EQ(board_.in32(0xCFC), 0xFFFFFFFFu);
    function_->set_hidden(false);
    EXPECT_EQ(board_.in32(0xCFC), 0x71138086u);
}

TEST_F(MachineTest, AFurtherFunctionMarksFunctionZeroMultiFunction) {
    board_.add_pci(0, 7, 0, 0x71108086u);
    EXPECT_EQ(board_.pci(0, 7, 0)->peek8(kCfgHeaderType) & kHeaderMultiFunction,
              kHeaderMultiFunction);
    board_.add_pci(0, 9, 0, 0x12345678u);
    EXPECT_EQ(board_.pci(0, 9, 0)->peek8(kCfgHeaderType), 0u);
}

TEST_F(MachineTest, UnclaimedPortsFloatAndTheTraceRecordsEverything) {
    board_.clear_trace();
    EXPECT_EQ(board_.in8(0x1234), 0xFFu);
    EXPECT_EQ(board_.in16(0x1234), 0xFFFFu);
    board_.out8(0xEB, 0x5A);
    board_.out8(0xEB, 0x00);
    EXPECT_EQ(board_.delay_writes(), 2u);
    ASSERT_EQ(board_.trace().size(), 4u);
    EXPECT_EQ(format_access(board_.trace()[0]), "in8 1234 ff");
    EXPECT_EQ(format_access(board_.trace()[1]), "in16 1234 ffff");
    EXPECT_EQ(format_access(board_.trace()[2]), "out8 00eb 5a");
    select(0x8000F8F0);
    EXPECT_EQ(format_access(board_.trace().back()), "out32 0cf8 8000f8f0");
}

struct Latch final : IoDevice {
    bool decodes(std::uint16_t port) const override { return port == 0x2E || port == 0x2F; }
    std::uint32_t io_read(std::uint16_t port, int) override { return port == 0x2F ? data : 0; }
    void io_write(std::uint16_t port, int, std::uint32_t value) override {
        if (port == 0x2F) data = value;
    }
    std::uint32_t data = 0;
};

TEST_F(MachineTest, AttachedDevicesDecodeTheirPorts) {
    Latch& latch = board_.add_io<Latch>();
    board_.out8(0x2F, 0x42);
    EXPECT_EQ(latch.data, 0x42u);
    EXPECT_EQ(board_.in8(0x2F), 0x42u);
    EXPECT_EQ(board_.in8(0x30), 0xFFu);
}

}  // namespace
}  // namespace ynvex::sim
