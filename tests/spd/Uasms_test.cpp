// The multiplexer setters and TSPD::ASMSselect, against a board that has every
// location the multiplexer table names.
#include "hw/Uasms.h"

#include <gtest/gtest.h>

#include "hw/ports.h"
#include "sim/asus_mux.h"
#include "sim/machine.h"
#include "sim/superio.h"
#include "spd/Uspd.h"

namespace ynvex {
namespace {

using sim::Access;
using sim::Dir;

constexpr std::uint32_t kSisBase = 0x4000;

class AsmsTest : public ::testing::Test {
  protected:
    AsmsTest() {
        sis_acpi_ = &board_.add_pci(0, 1, 0, 0x00081039u);
        sis_acpi_->poke16(0x74, kSisBase);
        ali_pmu_ = &board_.add_pci(0, 17, 0, 0x710110B9u);
        ali_pmu_->poke32(0xB8, 0x12345678);
        e437_ = &board_.add_io<sim::OutputRegister>(std::uint16_t{0xE437}, 1, 0xFFu);
        e44d_ = &board_.add_io<sim::OutputRegister>(std::uint16_t{0xE44D}, 1, 0xFFu);
        sis_ = &board_.add_io<sim::OutputRegister>(*sis_acpi_, std::uint8_t{0x74},
                                                   std::uint16_t{0x3A}, 2, 0xFFFFu);
        sio_ = &board_.add_io<sim::WinbondSuperIo>();
        sio_->set_reg(8, 0xF1, 0xFF);
    }

    // The value of the location a multiplexer row drives.
    std::uint32_t location(std::uint32_t key) const {
        switch (key) {
            case 0x71138086:
            case 0x71938086:
                return e437_->value();
            case 0x30571106:
            case 0x30D71106:
            case 0x30501106:
            case 0x30511106:
                return e44d_->value();
            case 0x06301039:
                return sis_->value();
            case 0x710110B9:
                return ali_pmu_->peek32(0xB8);
            default:
                return sio_->reg(8, 0xF1);
        }
    }
    void set_location(std::uint32_t key, std::uint32_t value) {
        e437_->set_value(value);
        e44d_->set_value(value);
        sis_->set_value(value);
        sio_->set_reg(8, 0xF1, static_cast<std::uint8_t>(value));
        if (key == 0x710110B9) ali_pmu_->poke32(0xB8, value);
    }

    sim::Machine board_;
    hw::ScopedPortBackend backend_{board_};
    sim::PciFunction* sis_acpi_ = nullptr;
    sim::PciFunction* ali_pmu_ = nullptr;
    sim::OutputRegister* e437_ = nullptr;
    sim::OutputRegister* e44d_ = nullptr;
    sim::OutputRegister* sis_ = nullptr;
    sim::WinbondSuperIo* sio_ = nullptr;
    TSPD spd_;
};

// What each multiplexer row does to its location, in bits, for on and off.
struct RowEffect {
    std::uint32_t key;
    std::uint32_t all;  // the width of the location (the ALi dword: its low word)
    std::uint32_t on_set, on_clear, off_clear;
};
constexpr RowEffect kRowEffects[] = {
    {0x71138086, 0xFF, 0x08, 0x10, 0x18},   {0x71938086, 0xFF, 0x08, 0x10, 0x18},
    {0x24138086, 0xFF, 0x10, 0x08, 0x18},   {0x24238086, 0xFF, 0x10, 0x08, 0x18},
    {0x24438086, 0xFF, 0x10, 0x08, 0x18},   {0x82311106, 0xFF, 0x10, 0x08, 0x18},
    {0x30571106, 0xFF, 0x01, 0x08, 0x09},   {0x30D71106, 0xFF, 0x01, 0x08, 0x09},
    {0x30501106, 0xFF, 0x40, 0x00, 0x40},   {0x30511106, 0xFF, 0x40, 0x00, 0x40},
    {0x06301039, 0xFFFF, 0x10, 0x80, 0x90}, {0x710110B9, 0xFFFF, 0x40, 0xFF20, 0xFF60},
};

TEST_F(AsmsTest, EveryRowSwitchesOnlyItsBitsAndNeverWritesTheDelayPort) {
    for (const RowEffect& row : kRowEffects) {
        for (std::uint32_t start : {0x00000000u, 0xFFFFFFFFu, 0xA5A5A5A5u}) {
            SCOPED_TRACE(::testing::Message()
                         << std::hex << "key " << row.key << " start " << start);
            const std::uint32_t high = row.key == 0x710110B9 ? start & 0xFFFF0000 : 0;
            const std::uint32_t low = start & row.all;
            set_location(row.key, high | low);
            spd_.ASMSselect(row.key, kSisBase, 1);
            EXPECT_EQ(location(row.key), high | ((low & ~row.on_clear) | row.on_set));
            spd_.ASMSselect(row.key, kSisBase, 0);
            EXPECT_EQ(location(row.key), high | (low & ~row.off_clear));
        }
    }
    EXPECT_EQ(board_.delay_writes(), 0u);
}

TEST_F(AsmsTest, PiixPortThatReadsAllOnes) {
    spd_.ASMSselect(0x71138086, 0, 1);
    spd_.ASMSselect(0x71138086, 0, 0);
    const std::vector<Access> expected = {
        {Dir::In, 8, 0xE437, 0xFF},
        {Dir::Out, 8, 0xE437, 0xEF},
        {Dir::In, 8, 0xE437, 0xEF},
        {Dir::Out, 8, 0xE437, 0xE7},
    };
    EXPECT_EQ(board_.trace(), expected);
}

TEST_F(AsmsTest, SuperIoSequenceHasNoExitKey) {
    for (std::uint32_t key : {0x24138086u, 0x24238086u, 0x24438086u, 0x82311106u}) {
        SCOPED_TRACE(::testing::Message() << std::hex << key);
        sio_->set_reg(8, 0xF1, 0xFF);
        board_.clear_trace();
        spd_.ASMSselect(key, kSisBase, 1);
        const std::vector<Access> expected = {
            {Dir::Out, 8, 0x2E, 0x87}, {Dir::Out, 8, 0x2E, 0x87}, {Dir::Out, 8, 0x2E, 0x07},
            {Dir::Out, 8, 0x2F, 0x08}, {Dir::Out, 8, 0x2E, 0xF1}, {Dir::In, 8, 0x2F, 0xFF},
            {Dir::Out, 8, 0x2E, 0xF1}, {Dir::Out, 8, 0x2F, 0xF7},
        };
        EXPECT_EQ(board_.trace(), expected);
    }
}

TEST_F(AsmsTest, SisWordPortLiesAtTheControllerBase) {
    spd_.ASMSselect(0x06301039, kSisBase, 1);
    const std::vector<Access> expected = {
        {Dir::In, 16, 0x403A, 0xFFFF},
        {Dir::Out, 16, 0x403A, 0xFF7F},
    };
    EXPECT_EQ(board_.trace(), expected);
}

TEST_F(AsmsTest, AliConfigDwordKeepsItsHighWordAndClearsBits15To8) {
    spd_.ASMSselect(0x710110B9, kSisBase, 1);
    const std::vector<Access> expected = {
        {Dir::Out, 32, 0xCF8, 0x800088B8},
        {Dir::In, 32, 0xCFC, 0x12345678},
        {Dir::Out, 32, 0xCFC, 0x12340058},
        {Dir::Out, 32, 0xCF8, 0x000088B8},
    };
    EXPECT_EQ(board_.trace(), expected);
    EXPECT_EQ(ali_pmu_->peek32(0xB8), 0x12340058u);
}

TEST_F(AsmsTest, KeysWithoutAMultiplexerTouchNothing) {
    for (std::uint32_t key : {0x24C38086u, 0x24838086u, 0x740B1022u, 0x74131022u, 0x74431022u,
                              0x82351106u, 0x30741106u, 0x00081039u, 0xFFFFFFFFu, 0u}) {
        for (std::uint32_t on : {0u, 1u}) spd_.ASMSselect(key, kSisBase, on);
    }
    EXPECT_TRUE(board_.trace().empty());
}

TEST_F(AsmsTest, OnlyTheLowByteOfOnCounts) {
    spd_.ASMSselect(0x30501106, 0, 0x100);
    EXPECT_EQ(e44d_->value(), 0xBFu) << "0x100 is off";
    spd_.ASMSselect(0x30501106, 0, 0x180);
    EXPECT_EQ(e44d_->value(), 0xFFu) << "0x180 is on";
}

TEST(AsmsSetters, FirstArgumentAndShiftsAreTheCallers) {
    sim::Machine board;
    hw::ScopedPortBackend backend(board);
    auto& port = board.add_io<sim::OutputRegister>(std::uint16_t{0x0300}, 1, 0x00u);
    ASMS1set(0x300, 0xFF, 0x3F, 0xFF);  // the mask applies before the shift
    EXPECT_EQ(port.value(), 0xF8u) << "low 8 bits only";
    ASMS3set(0x300, 0x0F, 0xF0, 0x3C);
    EXPECT_EQ(port.value(), 0x38u);
    ASMS4set(0x300, 0x00, 0x01, 0x03);
    EXPECT_EQ(port.value(), 0x01u);
    EXPECT_EQ(board.delay_writes(), 0u);
}

}  // namespace
}  // namespace ynvex
