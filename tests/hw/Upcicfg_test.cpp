#include "hw/Upcicfg.h"

#include <gtest/gtest.h>

#include "hw/Usmbus.h"
#include "sim/machine.h"

namespace ynvex {
namespace {

using sim::Access;
using sim::Dir;

class PciConfigTest : public ::testing::Test {
  protected:
    PciConfigTest() {
        lpc_ = &board_.add_pci(0, 31, 0, 0x24408086u);
        lpc_->poke32(0xF0, 0x12345678);
        smbus_ = &board_.add_pci(0, 31, 3, 0x24438086u, std::uint8_t{0x05});
        smbus_->poke32(0x20, 0xE801E401);
        smbus_->poke32(0x40, 0x11223344);
        board_.clear_trace();
    }

    // Exactly one delay write after every non-delay access.
    void expect_one_delay_after_each_access() const {
        const auto& trace = board_.trace();
        ASSERT_EQ(trace.size() % 2, 0u);
        for (std::size_t i = 0; i < trace.size(); i += 2) {
            EXPECT_NE(trace[i].port, hw::kDelayPort) << "access " << i;
            EXPECT_EQ(trace[i + 1], (Access{Dir::Out, 8, hw::kDelayPort, trace[i].value & 0xFF}))
                << "access " << i + 1;
        }
    }

    sim::Machine board_;
    hw::ScopedPortBackend backend_{board_};
    sim::PciFunction* lpc_ = nullptr;
    sim::PciFunction* smbus_ = nullptr;
};

TEST_F(PciConfigTest, HighWordReadIsTheExactCycle) {
    EXPECT_EQ(PCIcfg_rdwe(0, 31, 0, 0xF2), 0x1234u);
    const std::vector<Access> expected = {
        {Dir::Out, 32, 0xCF8, 0x8000F8F0}, {Dir::Out, 8, 0xEB, 0xF0},
        {Dir::In, 16, 0xCFE, 0x1234},      {Dir::Out, 8, 0xEB, 0x34},
        {Dir::Out, 32, 0xCF8, 0x0000F8F0}, {Dir::Out, 8, 0xEB, 0xF0},
    };
    EXPECT_EQ(board_.trace(), expected);
}

TEST_F(PciConfigTest, OffsetsOfOneDwordAddressTheSameRegister) {
    EXPECT_EQ(PCIcfg_rdwe(0, 31, 0, 0xF0), 0x1234u);
    EXPECT_EQ(PCIcfg_rdwe(0, 31, 0, 0xF3), 0x1234u);
    EXPECT_EQ(PCIcfg_rdwo(0, 31, 0, 0xF2), 0x5678u);
    EXPECT_EQ(board_.trace()[0].value, 0x8000F8F0u);
}

// Every read member: its value, and the one data access the table gives it.
struct ReadCase {
    const char* name;
    std::uint32_t (*routine)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
    std::uint32_t expected;
    Access data_access;
};

TEST_F(PciConfigTest, ReadMembersUseTheirWindowAndWidth) {
    const ReadCase cases[] = {
        {"rdd", PCIcfg_rdd, 0x11223344, {Dir::In, 32, 0xCFC, 0x11223344}},
        {"rdwo", PCIcfg_rdwo, 0x3344, {Dir::In, 32, 0xCFC, 0x11223344}},
        {"rdwe", PCIcfg_rdwe, 0x1122, {Dir::In, 16, 0xCFE, 0x1122}},
        {"rdb0", PCIcfg_rdb0, 0x44, {Dir::In, 32, 0xCFC, 0x11223344}},
        {"rdb1", PCIcfg_rdb1, 0x33, {Dir::In, 8, 0xCFD, 0x33}},
        {"rdb2", PCIcfg_rdb2, 0x22, {Dir::In, 8, 0xCFE, 0x22}},
        {"rdb3", PCIcfg_rdb3, 0x11, {Dir::In, 8, 0xCFF, 0x11}},
    };
    for (const auto& c : cases) {
        board_.clear_trace();
        EXPECT_EQ(c.routine(0, 31, 3, 0x40), c.expected) << c.name;
        ASSERT_EQ(board_.trace().size(), 6u) << c.name;
        EXPECT_EQ(board_.trace()[2], c.data_access) << c.name;
        EXPECT_EQ(board_.trace()[4], (Access{Dir::Out, 32, 0xCF8, 0x0000FB40})) << c.name;
        expect_one_delay_after_each_access();
    }
}

struct WriteCase {
    const char* name;
    void (*routine)(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t);
    std::uint32_t value;
    std::uint32_t register_after;
    std::size_t accesses;  // including the delay writes
};

TEST_F(PciConfigTest, WriteMembersChangeOnlyTheirPart) {
    const WriteCase cases[] = {
        {"wtd", PCIcfg_wtd, 0xCAFEBABE, 0xCAFEBABE, 6},
        {"wtwo", PCIcfg_wtwo, 0xABCDEF, 0x1122CDEF, 8},
        {"wtwe", PCIcfg_wtwe, 0xABCDEF, 0xCDEF3344, 6},
        {"wtb0", PCIcfg_wtb0, 0x1AB, 0x112233AB, 8},
        {"wtb1", PCIcfg_wtb1, 0x1FF, 0x1122FF44, 6},
        {"wtb2", PCIcfg_wtb2, 0x1AB, 0x11AB3344, 6},
        {"wtb3", PCIcfg_wtb3, 0x1AB, 0xAB223344, 6},
    };
    for (const auto& c : cases) {
        smbus_->poke32(0x40, 0x11223344);
        board_.clear_trace();
        c.routine(0, 31, 3, 0x41, c.value);
        EXPECT_EQ(smbus_->peek32(0x40), c.register_after) << c.name;
        EXPECT_EQ(board_.trace().size(), c.accesses) << c.name;
        expect_one_delay_after_each_access();
        EXPECT_EQ(board_.config_address(), 0x0000FB40u) << c.name;
    }
}

TEST_F(PciConfigTest, ReadModifyWriteRewritesTheWholeDword) {
    PCIcfg_wtb0(0, 31, 3, 0x40, 0x99);
    const auto& t = board_.trace();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[2], (Access{Dir::In, 32, 0xCFC, 0x11223344}));
    EXPECT_EQ(t[4], (Access{Dir::Out, 32, 0xCFC, 0x11223399}));
}

TEST_F(PciConfigTest, FieldsAreMaskedAndNeverSpill) {
    struct {
        std::uint32_t bus, dev, func, reg, address;
    } cases[] = {
        {0, 33, 0, 0, 0x80000800},     // device 33 is device 1
        {0, 0, 9, 0, 0x80000100},      // function 9 is function 1
        {0x1FF, 0, 0, 0, 0x80FF0000},  // bus 511 is bus 255
        {0, 0, 0, 0x1F3, 0x800000F0},  // offset bits 1..0 and above 7 dropped
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x80FFFFFC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PCIcfg_address(c.bus, c.dev, c.func, c.reg), c.address);
        board_.clear_trace();
        PCIcfg_rdd(c.bus, c.dev, c.func, c.reg);
        EXPECT_EQ(board_.trace().front().value, c.address);
        EXPECT_EQ(board_.config_address(), c.address & 0x7FFFFFFF);
    }
}

TEST_F(PciConfigTest, AbsentFunctionReadsAllOnes) {
    EXPECT_EQ(PCIcfg_rdd(0, 5, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(SMBrd_did(5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(SMBrd_rid(5, 0), 0xFFu);
    EXPECT_EQ(SMBrdwo_bad(5, 0, 0x20), 0xFFFEu);
    EXPECT_EQ(SMBrdwe_bad(5, 0, 0x20), 0xFFFEu);
    PCIcfg_wtd(0, 5, 0, 0x40, 0);  // goes nowhere, and must not reach a neighbour
    EXPECT_EQ(smbus_->peek32(0x40), 0x11223344u);
}

TEST_F(PciConfigTest, IdentificationReadsOfBusZero) {
    EXPECT_EQ(SMBrd_did(31, 3), 0x24438086u);
    EXPECT_EQ(SMBrd_rid(31, 3), 0x05u);
    EXPECT_EQ(SMBrdwo_bad(31, 3, 0x20), 0xE400u);
    EXPECT_EQ(SMBrdwe_bad(31, 3, 0x22), 0xE800u);
    smbus_->poke32(0x20, 0x5009);
    EXPECT_EQ(SMBrdwo_bad(31, 3, 0x20), 0x5008u);
    // The identification reads address bus 0 with the same cycle shape.
    board_.clear_trace();
    SMBrd_rid(31, 3);
    EXPECT_EQ(board_.trace()[0], (Access{Dir::Out, 32, 0xCF8, 0x8000FB08}));
    EXPECT_EQ(board_.trace()[2], (Access{Dir::In, 32, 0xCFC, 0x05}));
    EXPECT_EQ(board_.trace().size(), 6u);
}

TEST_F(PciConfigTest, IdentificationRegistersAreReadOnly) {
    PCIcfg_wtd(0, 31, 3, 0x00, 0);
    PCIcfg_wtb0(0, 31, 3, 0x08, 0x77);
    EXPECT_EQ(SMBrd_did(31, 3), 0x24438086u);
    EXPECT_EQ(SMBrd_rid(31, 3), 0x05u);
}

}  // namespace
}  // namespace ynvex
