#include "hw/Usmbus.h"

#include "hw/Upcicfg.h"
#include "hw/Usmbus_families.h"
#include "hw/ports.h"

namespace ynvex {
namespace {
constexpr std::uint32_t kRegIdKey = 0x00;
constexpr std::uint32_t kRegRevision = 0x08;
constexpr std::uint32_t kIoSpaceIndicator = 0x0001;
constexpr std::uint32_t kBaseMask = 0xFFFF & ~kIoSpaceIndicator;
}  // namespace

std::uint32_t SMBrd_did(std::uint32_t dev, std::uint32_t func) {
    return PCIcfg_rdd(0, dev, func, kRegIdKey);
}
std::uint32_t SMBrd_rid(std::uint32_t dev, std::uint32_t func) {
    return PCIcfg_rdb0(0, dev, func, kRegRevision);
}
std::uint32_t SMBrdwo_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg) {
    return PCIcfg_rdwo(0, dev, func, reg) & kBaseMask;
}
std::uint32_t SMBrdwe_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg) {
    return PCIcfg_rdwe(0, dev, func, reg) & kBaseMask;
}

namespace {

// Each wait of a transaction ends after this many status reads.
constexpr std::uint32_t kSmbWaitReads = 0x2000;

// How many times one call starts the transaction again after the restart
// flag (a collision: another master, such as the firmware or a hardware
// monitor, won the bus). The other master's cycle is over within one of
// ours, so a working controller gets through on the first or second
// attempt; eight restarts in a row mean the flag is not a collision at all,
// typically a register block that reads all ones because the base is wrong.
// The bound also caps a call at nine attempts of at most 2 x 0x2000 status
// reads each.
constexpr unsigned kSmbMaxRestarts = 8;

constexpr std::uint32_t kReadBit = 0x01;
constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::uint32_t kWordMask = 0xFFFF;

// The family's registers at one base.
class SmbRegisters {
  public:
    SmbRegisters(const SmbusFamily& family, std::uint32_t base) : family_(family), base_(base) {}

    std::uint32_t in(std::uint32_t reg) const {
        select(reg);
        return in_selected(reg);
    }
    void out(std::uint32_t reg, std::uint32_t value) const {
        select(reg);
        delayed_out(hw::io_out8, port(reg), value & kByteMask);
    }
    std::uint32_t in16(std::uint32_t reg) const { return delayed_in(hw::io_in16, base_ + reg); }
    void out16(std::uint32_t reg, std::uint32_t value) const {
        delayed_out(hw::io_out16, base_ + reg, value & kWordMask);
    }

    // An indexed family selects the register once and then reads only its
    // data port; a direct one has nothing to select.
    void select(std::uint32_t reg) const {
        if (indexed()) delayed_out(hw::io_out8, base_ + family_.index_port, reg & kByteMask);
    }
    std::uint32_t in_selected(std::uint32_t reg) const { return delayed_in(hw::io_in8, port(reg)); }

  private:
    bool indexed() const { return family_.index_port != kSmbNone; }
    std::uint32_t port(std::uint32_t reg) const {
        return base_ + (indexed() ? family_.data_port : reg);
    }
    // Every port access of a transaction is followed by two delay writes.
    static constexpr int kDelays = 2;
    static std::uint32_t delayed_in(hw::PortIn in, std::uint32_t port) {
        return hw::io_in_delayed(in, port, kDelays);
    }
    static void delayed_out(hw::PortOut out, std::uint32_t port, std::uint32_t value) {
        hw::io_out_delayed(out, port, value, kDelays);
    }

    const SmbusFamily& family_;
    std::uint32_t base_;
};

struct SmbStatus {
    std::uint32_t status = 0;
    std::uint32_t second = 0;
};

bool ready(const SmbusFamily& f, SmbStatus s) {
    return (s.status & f.not_ready) == 0 && (s.second & f.second_not_ready) == 0 &&
           (s.status & f.idle_flag) == f.idle_flag;
}

// A family with an idle flag waits for it; the others wait while busy.
bool waiting(const SmbusFamily& f, SmbStatus s) {
    if (f.idle_flag != 0) return (s.status & f.idle_flag) == 0;
    return (s.status & f.busy_flag) != 0 || (s.second & f.second_busy_flag) != 0;
}

SmbStatus read_and_clear_status(const SmbusFamily& f, const SmbRegisters& regs) {
    SmbStatus s;
    if (f.clear == SmbStatusClear::AllOnesBeforeRead) {
        regs.out(f.status, kByteMask);
        s.status = regs.in(f.status);
        return s;
    }
    s.status = regs.in(f.status);
    if (f.second_status != kSmbNone) s.second = regs.in(f.second_status);
    regs.out(f.status, s.status);
    if (f.second_status != kSmbNone) regs.out(f.second_status, s.second);
    return s;
}

// Phase 1: wait until the controller can start. One that stays busy, or
// shows a flag that is not busy, is killed; the transaction goes ahead
// either way.
void prepare(const SmbusFamily& f, const SmbRegisters& regs) {
    std::uint32_t counter = kSmbWaitReads;
    for (;;) {
        const SmbStatus s = read_and_clear_status(f, regs);
        if (ready(f, s)) return;
        if (!waiting(f, s) || --counter == 0) break;
    }
    for (const SmbRegWrite& write : f.kill) {
        if (write.reg != kSmbNone) regs.out(write.reg, write.value);
    }
}

// Phase 2: the registers in the family's order, the start last.
void setup_and_start(const SmbusFamily& f, const SmbRegisters& regs, SmbTransaction t,
                     std::uint32_t address, std::uint32_t offset, std::uint32_t data) {
    const bool read = t == SmbTransaction::ReadByte || t == SmbTransaction::ReadWord;
    const std::uint32_t address_byte = (address << 1 | (read ? kReadBit : 0)) & kByteMask;
    for (const SmbStep step : f.setup) {
        switch (step) {
            case SmbStep::Address:
                regs.out(f.address, address_byte);
                break;
            case SmbStep::Command:
                regs.out(f.command, offset);
                break;
            case SmbStep::Data:
                if (t == SmbTransaction::WriteByte) {
                    regs.out(f.data0, data);
                } else if (t == SmbTransaction::WriteWord && f.data_is_word) {
                    regs.out16(f.data0, data);
                } else if (t == SmbTransaction::WriteWord) {
                    regs.out(f.data1, data);
                    regs.out(f.data0, data >> 8);
                }
                break;
            case SmbStep::Control:
                regs.out(f.control, f.start_values[static_cast<unsigned>(t)]);
                break;
            case SmbStep::Trigger:
                regs.out(f.start, f.trigger_value);
                break;
            case SmbStep::End:
                return;
        }
    }
}

struct SmbPoll {
    bool restart = false;
    std::uint32_t status = 0;  // the last status read
};

// Phase 3: wait for an end flag. The restart flag is tested first, so a
// status with both restarts.
SmbPoll poll(const SmbusFamily& f, const SmbRegisters& regs, bool tests_restart) {
    SmbPoll result;
    regs.select(f.status);
    for (std::uint32_t counter = kSmbWaitReads; counter != 0; --counter) {
        result.status = regs.in_selected(f.status);
        if (tests_restart && (result.status & f.restart_flag) != 0) {
            result.restart = true;
            return result;
        }
        if ((result.status & f.end_flags) != 0) return result;
    }
    return result;
}

// The success flag counts only without an error flag beside it. A chip
// that ends a NACK or a collision also sets its done flag (the ALi M7101
// and the SiS 5595 mark every end that way, and an all-ones block shows
// every flag at once), and taking that for success would hand back a stale
// data register, or report a write that never happened.
bool succeeded(const SmbusFamily& f, std::uint32_t status) {
    const std::uint32_t errors = (f.end_flags | f.restart_flag) & ~f.success_flag;
    return (status & f.success_flag) != 0 && (status & errors) == 0;
}

// Phase 4.
std::uint32_t result(const SmbusFamily& f, const SmbRegisters& regs, SmbTransaction t,
                     std::uint32_t status) {
    if (!succeeded(f, status)) return kSMBfailed;
    switch (t) {
        case SmbTransaction::ReadByte:
            return regs.in(f.data0) & kByteMask;
        case SmbTransaction::ReadWord:
            if (f.data_is_word) return regs.in16(f.data0) & kWordMask;
            {
                const std::uint32_t high = regs.in(f.data0) & kByteMask;
                const std::uint32_t low = regs.in(f.data1) & kByteMask;
                return high << 8 | low;
            }
        case SmbTransaction::WriteByte:
        case SmbTransaction::WriteWord:
            break;
    }
    return 0;
}

std::uint32_t transaction(SmbTransaction t, std::uint32_t key, std::uint32_t base,
                          std::uint32_t address, std::uint32_t offset, std::uint32_t data) {
    const SmbusFamily& f = SMBfamily(key);
    const SmbRegisters regs(f, base);
    const bool write = t == SmbTransaction::WriteByte || t == SmbTransaction::WriteWord;
    const bool tests_restart = !write || f.writes_restart;
    for (unsigned attempt = 0; attempt <= kSmbMaxRestarts; ++attempt) {
        prepare(f, regs);
        setup_and_start(f, regs, t, address, offset, data);
        const SmbPoll p = poll(f, regs, tests_restart);
        if (!p.restart) return result(f, regs, t, p.status);
    }
    return kSMBfailed;
}

}  // namespace

std::uint32_t SMBrdb(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset) {
    return transaction(SmbTransaction::ReadByte, key, base, address, offset, 0);
}
std::uint32_t SMBrdw(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset) {
    return transaction(SmbTransaction::ReadWord, key, base, address, offset, 0);
}
std::uint32_t SMBwtb(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset, std::uint32_t data) {
    return transaction(SmbTransaction::WriteByte, key, base, address, offset, data);
}
std::uint32_t SMBwtw(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset, std::uint32_t data) {
    return transaction(SmbTransaction::WriteWord, key, base, address, offset, data);
}

}  // namespace ynvex
