#include "sim/smbus_host.h"

namespace ynvex::sim {

// One family's chip: where its registers sit and what its bits mean.
// Register numbers are offsets from the first decoded port (SiS 5595:
// numbers behind the index port).
struct SmbusHost::Chip {
    std::uint16_t block;      // first decoded port, as an offset from the base
    std::uint16_t size;       // ports decoded
    bool indexed;             // an index port at block, the data port after it
    std::uint16_t base_mask;  // bits of the base register's word that form the base

    std::uint8_t status;     // sticky flags, write 1 to clear
    std::uint8_t busy_reg;   // the register that shows the busy flag
    std::uint8_t control;    // protocol, start and kill bits
    std::uint8_t start_reg;  // a register whose every write starts (kNoRegister: none)
    std::uint8_t address;    // addr << 1 | read
    std::uint8_t command;
    std::uint8_t data0;  // the first byte on the wire
    std::uint8_t data1;  // the second byte of a word

    std::uint8_t busy_flag;  // in busy_reg, read-only
    std::uint8_t idle_flag;  // in status, read-only: set while not busy

    std::uint8_t protocol_mask;  // in control
    std::uint8_t byte_data;
    std::uint8_t word_data;
    std::uint8_t start_bit;  // in control; always reads 0
    std::uint8_t kill_bits;  // in control

    // Flags a transaction ends with.
    std::uint8_t done;
    std::uint8_t no_response;
    std::uint8_t collision;
    std::uint8_t no_response_as_collision;
    std::uint8_t killed;
    // Flags that, left set, make the next transaction fail at once with
    // the no-response flag: the ICH will not run while DEV_ERR is set.
    std::uint8_t blocking;
};

namespace {

constexpr std::uint8_t kNoRegister = 0xFF;

// PIIX4/ICH/VIA: HST_STS, HST_CNT, HST_CMD, XMIT_SLVA, HST_D0, HST_D1.
// Success sets INTR, an unclaimed address DEV_ERR, a lost arbitration
// BUS_ERR, the kill FAILED. A DEV_ERR left set fails the next cycle at once.
constexpr SmbusHost::Chip kDefaultChip{
    .block = 0x00,
    .size = 0x10,
    .indexed = false,
    .base_mask = 0xFFF0,
    .status = 0x00,
    .busy_reg = 0x00,
    .control = 0x02,
    .start_reg = kNoRegister,
    .address = 0x04,
    .command = 0x03,
    .data0 = 0x05,
    .data1 = 0x06,
    .busy_flag = 0x01,
    .idle_flag = 0x00,
    .protocol_mask = 0x1C,
    .byte_data = 0x08,
    .word_data = 0x0C,
    .start_bit = 0x40,
    .kill_bits = 0x02,
    .done = 0x02,
    .no_response = 0x04,
    .collision = 0x08,
    .no_response_as_collision = 0x08,
    .killed = 0x10,
    .blocking = 0x04,
};

// ALi M7101, M1535 layout: the type register at +1 holds the protocol and
// the KILL (0x04) and T_OUT (0x08) bits; any write to +2 starts. Status:
// 0x04 idle, 0x08 busy, 0x10 done, 0x40 collision or no response, 0x80
// failed or terminated. The chip cannot tell a lost arbitration from a
// NACK: both end with 0x40. Whether DONE comes with 0x40 is not documented;
// the likelier reading is that it does. The other chip model reports a NACK
// as 0x20 alone.
constexpr SmbusHost::Chip kAliChip{
    .block = 0x00,
    .size = 0x20,
    .indexed = false,
    .base_mask = 0xFFE0,
    .status = 0x00,
    .busy_reg = 0x00,
    .control = 0x01,
    .start_reg = 0x02,
    .address = 0x03,
    .command = 0x07,
    .data0 = 0x04,
    .data1 = 0x05,
    .busy_flag = 0x08,
    .idle_flag = 0x04,
    .protocol_mask = 0x70,
    .byte_data = 0x20,
    .word_data = 0x30,
    .start_bit = 0x00,
    .kill_bits = 0x0C,
    .done = 0x10,
    .no_response = 0x50,
    .collision = 0x50,
    .no_response_as_collision = 0x20,
    .killed = 0x80,
    .blocking = 0x00,
};

// SiS 630 at ACPI base + 0x80: SMB_STS, SMB_CNT (+0x82, HOST_BUSY in bit 0),
// SMBHOST_CNT (+0x83: protocol, START 0x10, KILL 0x20), SMB_ADDR, SMB_CMD,
// SMB_BYTE[0..1] at +0x88/+0x89. Status: 0x02 device error (no response),
// 0x04 collision, 0x08 completion. The kill leaves no documented flag.
constexpr SmbusHost::Chip kSis630Chip{
    .block = 0x80,
    .size = 0x14,
    .indexed = false,
    .base_mask = 0xFFFE,
    .status = 0x00,
    .busy_reg = 0x02,
    .control = 0x03,
    .start_reg = kNoRegister,
    .address = 0x04,
    .command = 0x05,
    .data0 = 0x08,
    .data1 = 0x09,
    .busy_flag = 0x01,
    .idle_flag = 0x00,
    .protocol_mask = 0x07,
    .byte_data = 0x02,
    .word_data = 0x03,
    .start_bit = 0x10,
    .kill_bits = 0x20,
    .done = 0x08,
    .no_response = 0x02,
    .collision = 0x04,
    .no_response_as_collision = 0x04,
    .killed = 0x00,
    .blocking = 0x00,
};

// SiS 5595 behind the index (ACPI base + 0x38) and data (+0x39) ports:
// SMB_STS_LO 0x00, SMB_CTL_LO 0x02 (protocol in bits 3..1, START 0x10, KILL
// 0x20), SMB_ADDR 0x04, SMB_CMD 0x05, host data SMB_BYTE at 0x08/0x09; 0x11
// and 0x12 are the host-as-slave data bytes, which a host cycle never fills.
// Status as the Linux driver reads it: every end sets 0x40 (it polls for
// that bit alone), 0x10 adds "failed / no response", 0x20 a collision. Only
// the other chip model names a busy bit (0x08) and a kill flag (0x80); it
// also reports a NACK as 0x20.
constexpr SmbusHost::Chip kSis5595Chip{
    .block = 0x38,
    .size = 0x02,
    .indexed = true,
    .base_mask = 0xFFFE,
    .status = 0x00,
    .busy_reg = 0x00,
    .control = 0x02,
    .start_reg = kNoRegister,
    .address = 0x04,
    .command = 0x05,
    .data0 = 0x08,
    .data1 = 0x09,
    .busy_flag = 0x08,
    .idle_flag = 0x00,
    .protocol_mask = 0x0E,
    .byte_data = 0x04,
    .word_data = 0x06,
    .start_bit = 0x10,
    .kill_bits = 0x20,
    .done = 0x40,
    .no_response = 0x50,
    .collision = 0x60,
    .no_response_as_collision = 0x60,
    .killed = 0x80,
    .blocking = 0x00,
};

// AMD-756/766/768 at PM base + 0xE0, 16-bit registers (byte enables reach
// each half): GLOBAL_STATUS (0x01 abort, 0x02 collision, 0x04 no response,
// 0x08 host busy, 0x10 cycle complete), GLOBAL_ENABLE (cycle type in bits
// 2..0, HOST_STC 0x08, ABORT 0x20), HOST_ADDRESS, HOST_DATA (+0xE6, bits 7..0
// the first byte), HOST_COMMAND (+0xE8).
constexpr SmbusHost::Chip kAmdChip{
    .block = 0xE0,
    .size = 0x10,
    .indexed = false,
    .base_mask = 0xFF00,
    .status = 0x00,
    .busy_reg = 0x00,
    .control = 0x02,
    .start_reg = kNoRegister,
    .address = 0x04,
    .command = 0x08,
    .data0 = 0x06,
    .data1 = 0x07,
    .busy_flag = 0x08,
    .idle_flag = 0x00,
    .protocol_mask = 0x07,
    .byte_data = 0x02,
    .word_data = 0x03,
    .start_bit = 0x08,
    .kill_bits = 0x20,
    .done = 0x10,
    .no_response = 0x04,
    .collision = 0x02,
    .no_response_as_collision = 0x02,
    .killed = 0x01,
    .blocking = 0x00,
};

const SmbusHost::Chip& chip_of(HostFamily family) {
    switch (family) {
        case HostFamily::AliM7101:
            return kAliChip;
        case HostFamily::Sis630:
            return kSis630Chip;
        case HostFamily::Sis5595:
            return kSis5595Chip;
        case HostFamily::Amd:
            return kAmdChip;
        case HostFamily::Default:
            break;
    }
    return kDefaultChip;
}

void use_up(unsigned& count) {
    if (count != kForever) --count;
}

}  // namespace

SmbusHost::SmbusHost(HostFamily family, PciFunction& function, std::uint8_t base_register,
                     SmbusTarget& bus)
    : family_(family),
      chip_(chip_of(family)),
      function_(function),
      base_register_(base_register),
      base_mask_(chip_.base_mask),
      bus_(bus) {}

SmbusHost::SmbusHost(HostFamily family, PciFunction& function, std::uint8_t base_register,
                     std::shared_ptr<SmbusTarget> bus)
    : family_(family),
      chip_(chip_of(family)),
      function_(function),
      base_register_(base_register),
      base_mask_(chip_.base_mask),
      owned_bus_(std::move(bus)),
      bus_(*owned_bus_) {}

void SmbusHost::set_enable_bit(std::uint8_t offset, std::uint8_t mask) {
    enable_offset_ = offset;
    enable_mask_ = mask;
}

std::uint16_t SmbusHost::base() const {
    if (function_.hidden()) return 0;
    if (enable_mask_ != 0 && (function_.peek8(enable_offset_) & enable_mask_) == 0) return 0;
    return function_.peek16(base_register_) & base_mask_;
}

bool SmbusHost::decodes(std::uint16_t port) const {
    const std::uint32_t base = this->base();
    if (base == 0) return false;
    const std::uint32_t first = base + chip_.block;
    return port >= first && port < first + chip_.size;
}

std::uint8_t SmbusHost::peek(std::uint8_t reg) const {
    return reg == chip_.status ? flags_ : regs_[reg];
}

bool SmbusHost::busy() const {
    return hung_ || foreign_busy_ > 0 || running_;
}

std::uint32_t SmbusHost::io_read(std::uint16_t port, int width) {
    const std::uint32_t first = base() + chip_.block;
    std::uint32_t value = 0;
    for (int i = 0; i < width / 8; ++i) {
        const std::uint32_t at = port + i - first;
        std::uint8_t part = 0xFF;
        if (!all_ones_ && at < chip_.size) {
            if (!chip_.indexed) {
                part = read_reg(static_cast<std::uint8_t>(at));
            } else {
                part = at == 0 ? index_ : read_reg(index_);
            }
        }
        value |= static_cast<std::uint32_t>(part) << (8 * i);
    }
    return value;
}

void SmbusHost::io_write(std::uint16_t port, int width, std::uint32_t value) {
    if (all_ones_) return;
    const std::uint32_t first = base() + chip_.block;
    for (int i = 0; i < width / 8; ++i) {
        const std::uint32_t at = port + i - first;
        const auto part = static_cast<std::uint8_t>(value >> (8 * i));
        if (at >= chip_.size) continue;
        if (!chip_.indexed) {
            write_reg(static_cast<std::uint8_t>(at), part);
        } else if (at == 0) {
            index_ = part;
        } else {
            write_reg(index_, part);
        }
    }
}

// A status read is what moves a cycle on: the chip's cycle runs in the time
// that software spends polling, so the model counts polls instead of time.
bool SmbusHost::advance() {
    if (hung_) return true;
    if (foreign_busy_ > 0) {
        use_up(foreign_busy_);
        return true;
    }
    if (!running_) return false;
    if (remaining_ > 0) {
        use_up(remaining_);
        return true;
    }
    complete();
    return false;
}

std::uint8_t SmbusHost::read_reg(std::uint8_t reg) {
    const bool status = reg == chip_.status || reg == chip_.busy_reg;
    const bool busy_now = status ? advance() : busy();
    if (reg == chip_.status) {
        std::uint8_t value = flags_;
        if (chip_.busy_reg == chip_.status && busy_now) value |= chip_.busy_flag;
        if (!busy_now) value |= chip_.idle_flag;
        return value;
    }
    if (reg == chip_.busy_reg) {
        return static_cast<std::uint8_t>((regs_[reg] & ~0x03) | (busy_now ? chip_.busy_flag : 0));
    }
    if (reg == chip_.control) return static_cast<std::uint8_t>(regs_[reg] & ~chip_.start_bit);
    return regs_[reg];
}

void SmbusHost::write_reg(std::uint8_t reg, std::uint8_t value) {
    if (reg == chip_.status) {
        flags_ = static_cast<std::uint8_t>(flags_ & ~value);
        return;
    }
    if (reg == chip_.busy_reg) {  // its busy bits are the chip's
        regs_[reg] = static_cast<std::uint8_t>(value & ~0x03);
        return;
    }
    if (reg == chip_.control) {
        regs_[reg] = static_cast<std::uint8_t>(value & ~chip_.start_bit);
        if ((value & chip_.kill_bits) != 0) {
            kill();
        } else if (chip_.start_bit != 0 && (value & chip_.start_bit) != 0) {
            start(value & chip_.protocol_mask);
        }
        return;
    }
    if (reg == chip_.start_reg) {
        start(regs_[chip_.control] & chip_.protocol_mask);
        return;
    }
    regs_[reg] = value;
}

void SmbusHost::start(std::uint8_t protocol) {
    if (busy()) return;  // a chip in the middle of a cycle takes no new one
    running_ = true;
    protocol_ = protocol;
    remaining_ = never_end_ ? kForever : busy_reads_;
    blocked_ = (flags_ & chip_.blocking) != 0;
    ++started_;
}

void SmbusHost::kill() {
    ++kills_;
    if (hung_) return;
    running_ = false;
    foreign_busy_ = 0;
    flags_ |= chip_.killed;
}

void SmbusHost::complete() {
    running_ = false;
    if (collisions_ > 0) {
        use_up(collisions_);
        flags_ |= chip_.collision;
        return;
    }
    if (terminations_ > 0) {
        use_up(terminations_);
        flags_ |= chip_.killed;
        return;
    }
    bool acknowledged = !blocked_;
    if (nacks_ > 0) {
        use_up(nacks_);
        acknowledged = false;
    }
    const std::uint8_t address = regs_[chip_.address];
    const auto device = static_cast<std::uint8_t>(address >> 1);
    const bool read = (address & 1) != 0;
    const std::uint8_t cmd = regs_[chip_.command];
    if (acknowledged && protocol_ == chip_.byte_data) {
        if (read) {
            const auto value = bus_.read_byte_data(device, cmd);
            acknowledged = value.has_value();
            if (value) regs_[chip_.data0] = *value;
        } else {
            acknowledged = bus_.write_byte_data(device, cmd, regs_[chip_.data0]);
        }
    } else if (acknowledged && protocol_ == chip_.word_data) {
        if (read) {
            const auto value = bus_.read_word_data(device, cmd);
            acknowledged = value.has_value();
            if (value) {
                regs_[chip_.data0] = static_cast<std::uint8_t>(*value);
                regs_[chip_.data1] = static_cast<std::uint8_t>(*value >> 8);
            }
        } else {
            const auto word =
                static_cast<std::uint16_t>(regs_[chip_.data0] | regs_[chip_.data1] << 8);
            acknowledged = bus_.write_word_data(device, cmd, word);
        }
    } else {
        acknowledged = false;  // a protocol this model does not run ends as an error
    }
    if (acknowledged) {
        flags_ |= chip_.done;
    } else {
        flags_ |= nack_as_collision_ ? chip_.no_response_as_collision : chip_.no_response;
    }
}

}  // namespace ynvex::sim
