// Simulated SMBus host controllers of the five register families.
//
// A model is an IoDevice of a sim::Machine. It decodes its ports at the I/O
// base that a register of its PCI function holds, read at every access, so a
// board that moves the base (or a client that programs it) moves the
// controller; while the function is hidden, the base is 0, or an optional
// enable bit is clear, it decodes nothing. A started transaction runs on the
// SmbusTarget it was given (an SmbusSegment, or a multiplexer in front of
// one) and ends with the chip's own flags.
//
// Use:
//
//   sim::Machine board;
//   sim::SmbusSegment spd;
//   spd.attach(0x50).load(dump_path);
//   auto& pm = board.add_pci(0, 7, 3, 0x71138086u, std::uint8_t{0x02});
//   pm.make_io_bar(0x90, 0x5000, 16);
//   auto& host = board.add_io<sim::SmbusHost>(sim::HostFamily::Default, pm, 0x90, spd);
//   host.set_enable_bit(0xD2, 0x01);  // optional: decode only while set
//   host.busy_at_start(100);          // optional: a fault
//
// Where each family's base comes from; the client is handed the register's
// word with its I/O-space bit cleared as "base":
//
//   family    PCI function (example)        base register   ports decoded
//   Default   PIIX4 7113, VIA 3050/3051/    0x90            base + 0x00 .. 0x0F
//             3057/8235; ICH 24x3;          0x20
//             VT8233 LPC bridge             0xB0 / 0xD0
//   AliM7101  ALi 7101 (M1535 layout)       0xE2 (word)     base + 0x00 .. 0x1F
//   Sis630    device 1 function 0           0x74 (word);    ACPI base + 0x80 .. 0x93
//             (1039:0008)                   enable 0x40 bit 7
//   Sis5595   SiS 5595 bridge 1039:0008     0x90 (word);    ACPI base + 0x38 (index)
//                                           enable 0x40 bit 7       and + 0x39 (data)
//   Amd       AMD-756/766/768 PM, f3        0x58;           PM base + 0xE0 .. 0xEF
//                                           enable 0x41 bit 7
//
// The base is the register's 16-bit word AND the family's base mask (see
// set_base_mask). The SmbusTarget, and the PciFunction, must outlive the
// model (a model owned by the Machine dies before the Machine's functions);
// the shared_ptr constructor lets the model own its target instead.
//
// Status reads. The busy countdowns below count reads of the family's
// status register: +0x00 (Default, ALi), +0xE0 (AMD; a byte or word read of
// it), the data port while the index selects register 0x00 (SiS 5595), and
// either of +0x80 and +0x82 (SiS 630, whose busy flag lives in +0x82).
//
// Flags a transaction ends with (done / no response / collision / kill):
//   Default  0x02 / 0x04 / 0x08 / 0x10, busy 0x01
//   AliM7101 0x10 / 0x50 / 0x50 / 0x80, busy 0x08, idle 0x04 while not busy
//            (one bit, 0x40, stands for "collision or no response")
//   Sis630   0x08 / 0x02 / 0x04 / none, busy 0x01 at +0x82
//   Sis5595  0x40 / 0x50 / 0x60 / 0x80, busy 0x08
//   Amd      0x10 / 0x04 / 0x02 / 0x01, busy 0x08
#pragma once

#include <cstdint>
#include <limits>
#include <memory>

#include "sim/machine.h"
#include "sim/pci.h"
#include "sim/smbus.h"

namespace ynvex::sim {

enum class HostFamily {
    Default,   // Intel PIIX4/ICH and VIA south bridges
    AliM7101,  // ALi M7101 PMU, M1535 register layout
    Sis630,    // SiS 630/730, SMBus at ACPI base + 0x80
    Sis5595,   // SiS 5595, index/data ports at ACPI base + 0x38/0x39
    Amd,       // AMD-756/766/768, SMBus at PM base + 0xE0
};

// A count meaning "without end" for the fault knobs.
inline constexpr unsigned kForever = std::numeric_limits<unsigned>::max();

class SmbusHost final : public IoDevice {
  public:
    SmbusHost(HostFamily family, PciFunction& function, std::uint8_t base_register,
              SmbusTarget& bus);
    SmbusHost(HostFamily family, PciFunction& function, std::uint8_t base_register,
              std::shared_ptr<SmbusTarget> bus);

    HostFamily family() const { return family_; }

    // The base the chip decodes now (0: decodes nothing).
    std::uint16_t base() const;
    // Which bits of the base register's word form the base (the family's
    // default: 0xFFF0 Default, 0xFFE0 ALi, 0xFF00 AMD, 0xFFFE SiS).
    void set_base_mask(std::uint16_t mask) { base_mask_ = mask; }
    // Decode only while (config byte at offset AND mask) is not 0.
    void set_enable_bit(std::uint8_t offset, std::uint8_t mask);

    // How many status reads a started transaction shows the busy flag
    // before it ends (default 1: the first read after the start is busy).
    void set_busy_reads(unsigned reads) { busy_reads_ = reads; }

    // Faults.
    // Someone else's cycle is running: busy for so many status reads
    // (kForever: until killed). It ends leaving no flags of its own; a start
    // written meanwhile is ignored, as by a chip in the middle of a cycle.
    void busy_at_start(unsigned reads) { foreign_busy_ = reads; }
    // A hung chip: busy for ever, the kill and every start ignored.
    void hang(bool on = true) { hung_ = on; }
    // The next n transactions (kForever: every one) lose the bus and end
    // with the family's collision flag.
    void collide(unsigned attempts) { collisions_ = attempts; }
    // The next n transactions (kForever: every one) are ended by the chip as
    // failed, with the flag its kill leaves (ALi: 0x80, "failed bus
    // transaction" / "terminated"), as when another agent aborts them.
    void terminate(unsigned attempts) { terminations_ = attempts; }
    // Transactions started from now on never end by themselves; only the
    // kill ends them.
    void never_end(bool on = true) { never_end_ = on; }
    // The next n transactions (kForever: every one) find no acknowledge,
    // whatever is on the bus.
    void nack(unsigned transactions) { nacks_ = transactions; }
    // The register block reads all ones and drops writes, as at a wrong base.
    void read_all_ones(bool on = true) { all_ones_ = on; }
    // A NACK reported with the collision flag instead of the no-response
    // flag (SiS 5595 as one chip model has it: 0x20; ALi: 0x20 alone).
    void report_nack_as_collision(bool on = true) { nack_as_collision_ = on; }

    // Inspection.
    unsigned transactions_started() const { return started_; }
    unsigned kills() const { return kills_; }
    bool busy() const;
    // A register of the block as the chip holds it, without side effects:
    // an offset from the decoded block (SiS 5595: a register number). The
    // status shows its sticky flags only.
    std::uint8_t peek(std::uint8_t reg) const;

    bool decodes(std::uint16_t port) const override;
    std::uint32_t io_read(std::uint16_t port, int width) override;
    void io_write(std::uint16_t port, int width, std::uint32_t value) override;

    struct Chip;  // the family's registers and flags

  private:
    std::uint8_t read_reg(std::uint8_t reg);
    void write_reg(std::uint8_t reg, std::uint8_t value);
    bool advance();
    void start(std::uint8_t protocol);
    void kill();
    void complete();

    HostFamily family_;
    const Chip& chip_;
    PciFunction& function_;
    std::uint8_t base_register_;
    std::uint16_t base_mask_;
    std::uint8_t enable_offset_ = 0;
    std::uint8_t enable_mask_ = 0;
    std::shared_ptr<SmbusTarget> owned_bus_;
    SmbusTarget& bus_;

    std::uint8_t regs_[256] = {};
    std::uint8_t index_ = 0;  // SiS 5595 index port
    std::uint8_t flags_ = 0;  // the sticky status flags

    bool running_ = false;
    bool blocked_ = false;  // started over a stale error flag
    std::uint8_t protocol_ = 0;
    unsigned remaining_ = 0;

    unsigned busy_reads_ = 1;
    unsigned foreign_busy_ = 0;
    bool hung_ = false;
    unsigned collisions_ = 0;
    unsigned terminations_ = 0;
    bool never_end_ = false;
    unsigned nacks_ = 0;
    bool all_ones_ = false;
    bool nack_as_collision_ = false;

    unsigned started_ = 0;
    unsigned kills_ = 0;
};

}  // namespace ynvex::sim
