#include "hw/Usmbus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "sim/machine.h"
#include "sim/smbus.h"
#include "sim/smbus_host.h"

namespace ynvex {
namespace {

using sim::Access;
using sim::Dir;
using sim::HostFamily;

constexpr std::uint32_t kSpd = 0x50;
constexpr std::uint32_t kEmptySlot = 0x51;
// Status reads one call may make: nine attempts of two bounded waits.
constexpr std::size_t kMostStatusReads = 9 * 2 * 0x2000;

// One controller of each family, placed as a board has it.
struct FamilyCase {
    const char* name;
    std::uint32_t key;
    HostFamily family;
    std::uint8_t dev, func;
    std::uint32_t id;  // the PCI function that holds the base
    std::uint8_t base_register;
    std::uint16_t base_word;
    std::uint32_t base;        // what the controller record hands over
    std::uint16_t first_port;  // the ports the transactions may touch
    std::uint16_t last_port;
    std::uint16_t status_port;  // the status register, as the poll reads it
    std::uint8_t address_reg;   // of the model's block, for peek
    bool word_low_byte_first;   // the SMBrdw word from EEPROM bytes cmd, cmd+1
    std::uint8_t enable_offset, enable_mask;
    // The ALi M7101 reports a lost arbitration with the same bit as a NACK;
    // what makes it start again is its failed-transaction flag.
    bool restarts_when_terminated = false;
};

void PrintTo(const FamilyCase& c, std::ostream* os) {
    *os << c.name;
}

std::string case_name(const ::testing::TestParamInfo<FamilyCase>& info) {
    return info.param.name;
}

const FamilyCase kFamilies[] = {
    {"PIIX4E", 0x71938086, HostFamily::Default, 7, 3, 0x71138086, 0x90, 0x5001, 0x5000,  //
     0x5000, 0x500F, 0x5000, 0x04, false, 0xD2, 0x01},
    {"ALiM7101", 0x710110B9, HostFamily::AliM7101, 17, 0, 0x710110B9, 0xE2, 0xE801, 0xE800, 0xE800,
     0xE81F, 0xE800, 0x03, false, 0, 0, true},
    {"SiS630", 0x06301039, HostFamily::Sis630, 1, 0, 0x00081039, 0x74, 0x4001, 0x4000,  //
     0x4080, 0x4093, 0x4080, 0x04, false, 0x40, 0x80},
    {"SiS5595", 0x00081039, HostFamily::Sis5595, 1, 0, 0x00081039, 0x90, 0x4000, 0x4000, 0x4038,
     0x4039, 0x4039, 0x04, false, 0x40, 0x80},
    {"AMD768", 0x74431022, HostFamily::Amd, 7, 3, 0x74431022, 0x58, 0xE401, 0xE400,  //
     0xE4E0, 0xE4EF, 0xE4E0, 0x04, true, 0x41, 0x80},
    {"AMD756", 0x740B1022, HostFamily::Amd, 7, 3, 0x740B1022, 0x58, 0xE401, 0xE400,  //
     0xE4E0, 0xE4EF, 0xE4E0, 0x04, true, 0x41, 0x80},
};

class SmbusBoard {
  public:
    explicit SmbusBoard(const FamilyCase& c) : case_(c) {
        sim::PciFunction& function = board.add_pci(0, c.dev, c.func, c.id);
        function.poke16(c.base_register, c.base_word);
        if (c.enable_mask != 0) function.poke8(c.enable_offset, c.enable_mask);
        host = &board.add_io<sim::SmbusHost>(c.family, function, c.base_register, bus);
        if (c.enable_mask != 0) host->set_enable_bit(c.enable_offset, c.enable_mask);
        eeprom = &bus.attach(kSpd);
        for (int i = 0; i < 256; ++i) eeprom->bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
        board.clear_trace();
    }

    // The next n transactions end with the flag the family restarts on.
    void fail_with_restart_flag(unsigned n) {
        if (case_.restarts_when_terminated) {
            host->terminate(n);
        } else {
            host->collide(n);
        }
    }

    std::size_t status_reads() const {
        return static_cast<std::size_t>(std::count_if(
            board.trace().begin(), board.trace().end(),
            [&](const Access& a) { return a.dir == Dir::In && a.port == case_.status_port; }));
    }

    const FamilyCase& case_;
    sim::Machine board;
    hw::ScopedPortBackend backend{board};
    sim::SmbusSegment bus;
    sim::SmbusHost* host = nullptr;
    sim::SpdEeprom* eeprom = nullptr;
};

class EveryFamily : public ::testing::TestWithParam<FamilyCase> {
  protected:
    SmbusBoard b{GetParam()};
    const FamilyCase& c = GetParam();
};

TEST_P(EveryFamily, ReadsAndWritesBytesAndWordsThatReadBack) {
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 0x11), b.eeprom->bytes[0x11]);

    b.eeprom->bytes[0x40] = 0xAB;
    b.eeprom->bytes[0x41] = 0xCD;
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 0x40), c.word_low_byte_first ? 0xCDABu : 0xABCDu);

    EXPECT_EQ(SMBwtb(c.key, c.base, kSpd, 0x30, 0x1A5), 0u);
    EXPECT_EQ(b.eeprom->bytes[0x30], 0xA5);  // only the low byte is sent
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 0x30), 0xA5u);

    EXPECT_EQ(SMBwtw(c.key, c.base, kSpd, 0x60, 0xF1234), 0u);
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 0x60), 0x1234u);
    // The byte that went out first is at the lower offset.
    EXPECT_EQ(b.eeprom->bytes[0x60], c.word_low_byte_first ? 0x34 : 0x12);
    EXPECT_EQ(b.eeprom->bytes[0x61], c.word_low_byte_first ? 0x12 : 0x34);
    EXPECT_EQ(b.host->transactions_started(), 6u);
}

TEST_P(EveryFamily, TouchesOnlyItsRegistersEachAccessFollowedByTwoDelays) {
    SMBrdb(c.key, c.base, kSpd, 3);
    SMBrdw(c.key, c.base, kSpd, 4);
    SMBwtb(c.key, c.base, kSpd, 5, 6);
    SMBwtw(c.key, c.base, kSpd, 7, 8);
    SMBrdb(c.key, c.base, kEmptySlot, 0);
    const auto& trace = b.board.trace();
    ASSERT_EQ(trace.size() % 3, 0u);
    for (std::size_t i = 0; i < trace.size(); i += 3) {
        EXPECT_GE(trace[i].port, c.first_port) << format_access(trace[i]);
        EXPECT_LE(trace[i].port, c.last_port) << format_access(trace[i]);
        const Access delay{Dir::Out, 8, hw::kDelayPort, trace[i].value & 0xFF};
        EXPECT_EQ(trace[i + 1], delay) << i;
        EXPECT_EQ(trace[i + 2], delay) << i;
    }
}

TEST_P(EveryFamily, AddressByteCarriesTheDirectionBit) {
    SMBrdb(c.key, c.base, 0x53, 0);
    EXPECT_EQ(b.host->peek(c.address_reg), 0xA7);
    SMBrdw(c.key, c.base, kSpd, 0);
    EXPECT_EQ(b.host->peek(c.address_reg), 0xA1);
    SMBwtb(c.key, c.base, kSpd, 0, 0);
    EXPECT_EQ(b.host->peek(c.address_reg), 0xA0);
    SMBwtw(c.key, c.base, 0x53, 0, 0);
    EXPECT_EQ(b.host->peek(c.address_reg), 0xA6);
}

TEST_P(EveryFamily, AbsentAddressFailsEveryTransaction) {
    EXPECT_EQ(SMBrdb(c.key, c.base, kEmptySlot, 0), kSMBfailed);
    EXPECT_EQ(SMBrdw(c.key, c.base, kEmptySlot, 0), kSMBfailed);
    EXPECT_EQ(SMBwtb(c.key, c.base, kEmptySlot, 0, 1), kSMBfailed);
    EXPECT_EQ(SMBwtw(c.key, c.base, kEmptySlot, 0, 1), kSMBfailed);
    // Each ends at once, with the chip's no-response flag.
    EXPECT_EQ(b.host->transactions_started(), 4u);
    EXPECT_LE(b.status_reads(), 4u * 4u);
}

TEST_P(EveryFamily, InjectedNackFailsAndTheNextTransactionWorks) {
    b.host->nack(1);
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 9), kSMBfailed);
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 9), b.eeprom->bytes[9]);
}

TEST_P(EveryFamily, OneRestartFlagRestartsTheRead) {
    b.fail_with_restart_flag(1);
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 9), b.eeprom->bytes[9]);
    EXPECT_EQ(b.host->transactions_started(), 2u);
    b.fail_with_restart_flag(1);
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 9),
              c.word_low_byte_first ? (b.eeprom->bytes[10] << 8 | b.eeprom->bytes[9])
                                    : (b.eeprom->bytes[9] << 8 | b.eeprom->bytes[10]));
    EXPECT_EQ(b.host->transactions_started(), 4u);
}

TEST_P(EveryFamily, RestartFlagOnEveryAttemptGivesUpAfterEightRestarts) {
    b.fail_with_restart_flag(sim::kForever);
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 0), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 9u);
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 0), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 18u);
    EXPECT_LE(b.status_reads(), 2 * kMostStatusReads);
}

TEST_P(EveryFamily, HungControllerFailsEveryTransactionInBoundedTime) {
    b.host->hang();
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 1), kSMBfailed);
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 1), kSMBfailed);
    EXPECT_EQ(SMBwtb(c.key, c.base, kSpd, 1, 2), kSMBfailed);
    EXPECT_EQ(SMBwtw(c.key, c.base, kSpd, 1, 2), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 0u);
    EXPECT_LE(b.status_reads(), 4 * kMostStatusReads);
    EXPECT_EQ(b.eeprom->bytes[1], 1 * 7 + 3);
}

// A register block that reads all ones shows the restart flag and every end
// flag at once: the reads give up after the restart bound, and no write
// counts as done.
TEST_P(EveryFamily, AllOnesRegisterBlockFailsEveryTransaction) {
    b.host->read_all_ones();
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 1), kSMBfailed);
    EXPECT_EQ(SMBrdw(c.key, c.base, kSpd, 1), kSMBfailed);
    EXPECT_EQ(SMBwtb(c.key, c.base, kSpd, 1, 2), kSMBfailed);
    EXPECT_EQ(SMBwtw(c.key, c.base, kSpd, 1, 2), kSMBfailed);
    EXPECT_LE(b.status_reads(), 4 * kMostStatusReads);
}

TEST_P(EveryFamily, WrongBaseFailsEveryTransaction) {
    const std::uint32_t wrong = c.base + 0x100;  // nothing decodes there
    EXPECT_EQ(SMBrdb(c.key, wrong, kSpd, 1), kSMBfailed);
    EXPECT_EQ(SMBwtb(c.key, wrong, kSpd, 1, 2), kSMBfailed);
    EXPECT_EQ(SMBwtw(c.key, wrong, kSpd, 1, 2), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Usmbus, EveryFamily, ::testing::ValuesIn(kFamilies), case_name);

// The families that see their busy flag wait for a controller that is busy
// at the start, or kill it when it stays busy, and then run the transaction.
class SeesItsBusyFlag : public EveryFamily {};

TEST_P(SeesItsBusyFlag, TransactionThatNeverEndsFailsAfterTheBoundAndIsKilledNextTime) {
    b.host->never_end();
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 1), kSMBfailed);
    EXPECT_EQ(b.host->kills(), 0u);
    b.host->never_end(false);
    // The next call finds the cycle still running, waits out its bound,
    // kills it and goes ahead.
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 1), b.eeprom->bytes[1]);
    EXPECT_EQ(b.host->kills(), 1u);
    EXPECT_LE(b.status_reads(), 2 * kMostStatusReads);
}

TEST_P(SeesItsBusyFlag, WaitsForABusyControllerWithoutKillingIt) {
    b.host->busy_at_start(100);
    EXPECT_EQ(SMBrdb(c.key, c.base, kSpd, 2), b.eeprom->bytes[2]);
    EXPECT_EQ(b.host->kills(), 0u);
    EXPECT_EQ(b.host->transactions_started(), 1u);
}

TEST_P(SeesItsBusyFlag, KillsAControllerBusyThroughTheWholeWaitAndStillRuns) {
    b.host->busy_at_start(sim::kForever);
    EXPECT_EQ(SMBwtb(c.key, c.base, kSpd, 2, 0x5A), 0u);
    EXPECT_EQ(b.eeprom->bytes[2], 0x5A);
    EXPECT_EQ(b.host->kills(), 1u);
    EXPECT_EQ(b.host->transactions_started(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Usmbus, SeesItsBusyFlag,
                         ::testing::Values(kFamilies[0], kFamilies[1], kFamilies[2], kFamilies[4]),
                         case_name);

// The default family against an exact trace.
class DefaultFamily : public ::testing::Test {
  protected:
    // The accesses without the delay writes.
    std::vector<Access> accesses() const {
        std::vector<Access> out;
        for (const Access& a : b.board.trace()) {
            if (a.port != hw::kDelayPort) out.push_back(a);
        }
        return out;
    }
    std::size_t count(Dir dir, std::uint16_t port) const {
        const auto all = accesses();
        return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const Access& a) {
            return a.dir == dir && a.port == port;
        }));
    }

    SmbusBoard b{kFamilies[0]};
    static constexpr std::uint32_t kKey = 0x24438086;
    static constexpr std::uint32_t kBase = 0x5000;
};

TEST_F(DefaultFamily, ByteReadGoesFromBusyToDoneAndReadsData0) {
    b.eeprom->bytes[5] = 0x5C;
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 0x105), 0x5Cu);  // the offset's low 8 bits
    const std::vector<Access> expected = {
        {Dir::In, 8, 0x5000, 0x00},  {Dir::Out, 8, 0x5000, 0x00},  // ready at once
        {Dir::Out, 8, 0x5004, 0xA1}, {Dir::Out, 8, 0x5003, 0x05},
        {Dir::Out, 8, 0x5002, 0x48}, {Dir::In, 8, 0x5000, 0x01},  // busy
        {Dir::In, 8, 0x5000, 0x02},  {Dir::In, 8, 0x5005, 0x5C},  // done
    };
    EXPECT_EQ(accesses(), expected);
}

TEST_F(DefaultFamily, EmptySlotEndsWithDeviceErrorWithoutReadingData) {
    EXPECT_EQ(SMBrdb(kKey, kBase, kEmptySlot, 0), kSMBfailed);
    const auto all = accesses();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), (Access{Dir::In, 8, 0x5000, 0x04}));
    EXPECT_EQ(count(Dir::In, 0x5005), 0u);
}

TEST_F(DefaultFamily, KeysOutsideTheDispatchListUseTheDefaultRegisters) {
    for (const std::uint32_t key :
         {0x71138086u, 0x24C38086u, 0x30D71106u, 0x82351106u, 0xFFFFFFFFu, 0x00000000u}) {
        EXPECT_EQ(SMBrdb(key, kBase, kSpd, 7), b.eeprom->bytes[7]) << std::hex << key;
    }
}

TEST_F(DefaultFamily, CollisionRestartsAndKillsBeforeTheNewAttempt) {
    b.host->collide(1);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 3), b.eeprom->bytes[3]);
    const auto all = accesses();
    const std::vector<Access> restart = {
        {Dir::In, 8, 0x5000, 0x08},   // the poll sees the collision
        {Dir::In, 8, 0x5000, 0x08},   // the preparation still does
        {Dir::Out, 8, 0x5000, 0x08},  // and clears it
        {Dir::Out, 8, 0x5002, 0x02},  // not busy, so: kill
        {Dir::Out, 8, 0x5004, 0xA1},
    };
    EXPECT_NE(std::search(all.begin(), all.end(), restart.begin(), restart.end()), all.end());
    EXPECT_EQ(b.host->kills(), 1u);
}

TEST_F(DefaultFamily, PollThatNeverEndsFailsAfter0x2000Reads) {
    b.host->never_end();
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 3), kSMBfailed);
    // One read in the preparation, then the poll's 0x2000.
    EXPECT_EQ(count(Dir::In, 0x5000), 1u + 0x2000u);
    EXPECT_EQ(count(Dir::In, 0x5005), 0u);
}

TEST_F(DefaultFamily, ControllerBusyForTheWholeWaitIsKilledAndTheReadIssued) {
    b.host->busy_at_start(sim::kForever);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 3), b.eeprom->bytes[3]);
    const auto all = accesses();
    // 0x2000 busy reads, each written back, then the kill and the start.
    ASSERT_GT(all.size(), 2u * 0x2000u + 2u);
    for (std::size_t i = 0; i < 2 * 0x2000; i += 2) {
        ASSERT_EQ(all[i], (Access{Dir::In, 8, 0x5000, 0x01})) << i;
    }
    EXPECT_EQ(all[2 * 0x2000], (Access{Dir::Out, 8, 0x5002, 0x02}));
    EXPECT_EQ(all[2 * 0x2000 + 1], (Access{Dir::Out, 8, 0x5004, 0xA1}));
}

TEST_F(DefaultFamily, WritePollIgnoresTheCollisionFlag) {
    b.host->collide(1);
    EXPECT_EQ(SMBwtb(kKey, kBase, kSpd, 3, 0x77), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 1u);  // not restarted
    EXPECT_EQ(count(Dir::In, 0x5000), 1u + 0x2000u);
    EXPECT_NE(b.eeprom->bytes[3], 0x77);
}

TEST_F(DefaultFamily, WordWriteSendsData1ThenData0ThenTheStart) {
    EXPECT_EQ(SMBwtw(kKey, kBase, kSpd, 0x20, 0x1234), 0u);
    const std::vector<Access> setup = {
        {Dir::Out, 8, 0x5004, 0xA0}, {Dir::Out, 8, 0x5003, 0x20}, {Dir::Out, 8, 0x5006, 0x34},
        {Dir::Out, 8, 0x5005, 0x12}, {Dir::Out, 8, 0x5002, 0x4C},
    };
    const auto all = accesses();
    EXPECT_NE(std::search(all.begin(), all.end(), setup.begin(), setup.end()), all.end());
}

TEST_F(DefaultFamily, ByteWriteSendsTheLowByteOfTheData) {
    EXPECT_EQ(SMBwtb(kKey, kBase, kSpd, 0x20, 0x1FF), 0u);
    EXPECT_EQ(count(Dir::Out, 0x5005), 1u);
    EXPECT_EQ(b.host->peek(0x05), 0xFF);
    EXPECT_EQ(b.eeprom->bytes[0x20], 0xFF);
    EXPECT_EQ(count(Dir::In, 0x5005), 0u);  // a write reads no data back
}

// The AMD family's 16-bit data register.
class AmdFamily : public ::testing::Test {
  protected:
    SmbusBoard b{kFamilies[4]};
    static constexpr std::uint32_t kKey = 0x74131022;  // AMD-766
    static constexpr std::uint32_t kBase = 0xE400;
};

TEST_F(AmdFamily, WordWriteIsOne16BitOutput) {
    EXPECT_EQ(SMBwtw(kKey, kBase, kSpd, 0x20, 0x1234), 0u);
    const auto& trace = b.board.trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), Access{Dir::Out, 16, 0xE4E6, 0x1234}), 1);
    EXPECT_EQ(
        std::count_if(trace.begin(), trace.end(), [](const Access& a) { return a.port == 0xE4E7; }),
        0);
    EXPECT_EQ(b.eeprom->bytes[0x20], 0x34);
    EXPECT_EQ(b.eeprom->bytes[0x21], 0x12);
}

TEST_F(AmdFamily, WordReadIsOne16BitInput) {
    b.eeprom->bytes[0x20] = 0xAB;
    b.eeprom->bytes[0x21] = 0xCD;
    EXPECT_EQ(SMBrdw(kKey, kBase, kSpd, 0x20), 0xCDABu);
    const auto& trace = b.board.trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), Access{Dir::In, 16, 0xE4E6, 0xCDAB}), 1);
}

// The ALi M7101: the only family whose writes restart.
class AliFamily : public ::testing::Test {
  protected:
    SmbusBoard b{kFamilies[1]};
    static constexpr std::uint32_t kKey = 0x710110B9;
    static constexpr std::uint32_t kBase = 0xE800;
};

TEST_F(AliFamily, WriteRestartsOnTheFailedFlag) {
    b.host->terminate(1);
    EXPECT_EQ(SMBwtb(kKey, kBase, kSpd, 3, 0x77), 0u);
    EXPECT_EQ(b.host->transactions_started(), 2u);
    EXPECT_EQ(b.eeprom->bytes[3], 0x77);
    b.host->terminate(sim::kForever);
    EXPECT_EQ(SMBwtw(kKey, kBase, kSpd, 3, 0x7788), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 2u + 9u);
}

TEST_F(AliFamily, SetupWritesTheTypeBeforeTheCommandAndStartsAtPlus2) {
    EXPECT_EQ(SMBwtw(kKey, kBase, kSpd, 0x20, 0x1234), 0u);
    std::vector<Access> all;
    for (const Access& a : b.board.trace()) {
        if (a.port != hw::kDelayPort) all.push_back(a);
    }
    const std::vector<Access> setup = {
        {Dir::Out, 8, 0xE803, 0xA0}, {Dir::Out, 8, 0xE801, 0x30}, {Dir::Out, 8, 0xE807, 0x20},
        {Dir::Out, 8, 0xE805, 0x34}, {Dir::Out, 8, 0xE804, 0x12}, {Dir::Out, 8, 0xE802, 0xFF},
    };
    EXPECT_NE(std::search(all.begin(), all.end(), setup.begin(), setup.end()), all.end());
    // The preparation clears the status before it reads it.
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], (Access{Dir::Out, 8, 0xE800, 0xFF}));
    EXPECT_EQ(all[1], (Access{Dir::In, 8, 0xE800, 0x04}));  // idle
}

TEST_F(AliFamily, ControllerThatNeverGoesIdleGetsKillAndTimeOutThenTheStart) {
    b.host->busy_at_start(sim::kForever);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 6), b.eeprom->bytes[6]);
    std::vector<Access> all;
    for (const Access& a : b.board.trace()) {
        if (a.port != hw::kDelayPort) all.push_back(a);
    }
    ASSERT_GT(all.size(), 2u * 0x2000u + 3u);
    EXPECT_EQ(all[2 * 0x2000 - 1], (Access{Dir::In, 8, 0xE800, 0x08}));  // still busy
    EXPECT_EQ(all[2 * 0x2000], (Access{Dir::Out, 8, 0xE801, 0x0C}));
    EXPECT_EQ(all[2 * 0x2000 + 1], (Access{Dir::Out, 8, 0xE800, 0xFF}));
    EXPECT_EQ(all[2 * 0x2000 + 2], (Access{Dir::Out, 8, 0xE803, 0xA1}));
}

// A lost arbitration shows the chip's "collision or no response" bit, the
// one a NACK shows: an end with an error, not a restart.
TEST_F(AliFamily, CollisionEndsTheTransactionLikeANack) {
    b.host->collide(1);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 5), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 1u);
    b.host->collide(1);
    EXPECT_EQ(SMBwtb(kKey, kBase, kSpd, 5, 0x66), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 2u);
    EXPECT_NE(b.eeprom->bytes[5], 0x66);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 5), b.eeprom->bytes[5]);
}

// The NACK reported with DONE beside the no-response flag, and as 0x20
// alone, both fail.
TEST_F(AliFamily, NackFailsHoweverTheChipFlagsIt) {
    EXPECT_EQ(SMBrdb(kKey, kBase, kEmptySlot, 0), kSMBfailed);
    b.host->report_nack_as_collision();
    EXPECT_EQ(SMBrdb(kKey, kBase, kEmptySlot, 0), kSMBfailed);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 4), b.eeprom->bytes[4]);
}

TEST(Sis630Family, PreparationReadsAndClearsBothStatusRegisters) {
    SmbusBoard b{kFamilies[2]};
    b.host->busy_at_start(2);  // both reads of the first round
    EXPECT_EQ(SMBrdb(0x06301039, 0x4000, kSpd, 6), b.eeprom->bytes[6]);
    std::vector<Access> all;
    for (const Access& a : b.board.trace()) {
        if (a.port != hw::kDelayPort) all.push_back(a);
    }
    const std::vector<Access> expected = {
        {Dir::In, 8, 0x4080, 0x00},  {Dir::In, 8, 0x4082, 0x01},   // busy
        {Dir::Out, 8, 0x4080, 0x00}, {Dir::Out, 8, 0x4082, 0x01},  //
        {Dir::In, 8, 0x4080, 0x00},  {Dir::In, 8, 0x4082, 0x00},   // ready
        {Dir::Out, 8, 0x4080, 0x00}, {Dir::Out, 8, 0x4082, 0x00},  //
        {Dir::Out, 8, 0x4084, 0xA1}, {Dir::Out, 8, 0x4085, 0x06},
        {Dir::Out, 8, 0x4083, 0x12}, {Dir::In, 8, 0x4080, 0x00},  // the poll reads +0x80 only
        {Dir::In, 8, 0x4080, 0x08},  {Dir::In, 8, 0x4088, b.eeprom->bytes[6]},
    };
    EXPECT_EQ(all, expected);
}

// The SiS 5595 behind its index and data ports.
class Sis5595Family : public ::testing::Test {
  protected:
    SmbusBoard b{kFamilies[3]};
    static constexpr std::uint32_t kKey = 0x00081039;
    static constexpr std::uint32_t kBase = 0x4000;
};

TEST_F(Sis5595Family, DataComesFromTheHostDataRegister) {
    b.eeprom->bytes[0x12] = 0x3C;
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 0x12), 0x3Cu);
    const auto& trace = b.board.trace();
    // The last register selected before the data is read is 0x08.
    std::vector<std::uint32_t> selected;
    for (const Access& a : trace) {
        if (a.dir == Dir::Out && a.port == 0x4038) selected.push_back(a.value);
    }
    ASSERT_FALSE(selected.empty());
    EXPECT_EQ(selected.back(), 0x08u);
    EXPECT_EQ(std::count(selected.begin(), selected.end(), 0x11u), 0);
}

TEST_F(Sis5595Family, PollSelectsTheStatusOnceAndReadsOnlyTheDataPort) {
    b.host->set_busy_reads(20);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 1), b.eeprom->bytes[1]);
    std::vector<Access> all;
    for (const Access& a : b.board.trace()) {
        if (a.port != hw::kDelayPort) all.push_back(a);
    }
    // After the start: index 0x00, then 21 data reads, then index 0x08.
    const auto start = std::find(all.begin(), all.end(), Access{Dir::Out, 8, 0x4039, 0x14});
    ASSERT_NE(start, all.end());
    ASSERT_EQ(all.end() - start, 1 + 1 + 21 + 2);
    EXPECT_EQ(start[1], (Access{Dir::Out, 8, 0x4038, 0x00}));
    for (int i = 0; i < 21; ++i) EXPECT_EQ(start[2 + i].port, 0x4039) << i;
    EXPECT_EQ(start[23], (Access{Dir::Out, 8, 0x4038, 0x08}));
}

TEST_F(Sis5595Family, NackReportedAsCollisionGivesUpAfterTheRestartBound) {
    b.host->report_nack_as_collision();
    EXPECT_EQ(SMBrdb(kKey, kBase, kEmptySlot, 0), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 9u);
    // A write does not restart: the collision flag is no end flag but the
    // done flag comes with it, and the two together are no success.
    EXPECT_EQ(SMBwtb(kKey, kBase, kEmptySlot, 0, 1), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 10u);
}

// The SiS 5595's busy bit: the register set's own busy flag is 0x02, but
// the only chip model that shows one sets 0x08 while a cycle runs. A
// transaction started then is lost, and the call fails within its bounds
// rather than waiting.
TEST_F(Sis5595Family, ControllerBusyAtTheStartFailsTheReadWithinItsBounds) {
    b.host->busy_at_start(100);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 2), kSMBfailed);
    EXPECT_EQ(b.host->transactions_started(), 0u);
    EXPECT_LE(b.status_reads(), kMostStatusReads);
    EXPECT_EQ(SMBrdb(kKey, kBase, kSpd, 2), b.eeprom->bytes[2]);  // once the cycle is over
}

}  // namespace
}  // namespace ynvex
