// The SMBus switch of newer ASUS mainboards, and the output registers that
// drive it.
//
// The switch sits between the SMBus host controller and the DIMM sockets. Its
// select lines come from an output bit of the south bridge, of the Super I/O
// chip or of a PCI function; only while they select the sockets do the SPD
// EEPROMs see the bus. Otherwise every DIMM address goes unacknowledged, so a
// program that does not switch it finds empty slots.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sim/machine.h"
#include "sim/pci.h"
#include "sim/smbus.h"

namespace ynvex::sim {

// A general-purpose output register of one or two bytes: reads return the
// output latch. It sits at a fixed port, or at an offset from the I/O base
// held in a function's configuration register (and moves with that base).
class OutputRegister final : public IoDevice {
  public:
    OutputRegister(std::uint16_t port, int bytes, std::uint32_t initial);
    OutputRegister(const PciFunction& function, std::uint8_t base_reg, std::uint16_t offset,
                   int bytes, std::uint32_t initial);

    bool decodes(std::uint16_t port) const override;
    std::uint32_t io_read(std::uint16_t port, int width) override;
    void io_write(std::uint16_t port, int width, std::uint32_t value) override;

    // The port of the register's first byte; 0 while its base is unassigned.
    std::uint16_t port() const;
    std::uint32_t value() const { return value_; }
    void set_value(std::uint32_t value) { value_ = value & all_bits(); }

    // Called after every write that reaches the register.
    std::function<void()> on_write;

  private:
    std::uint32_t all_bits() const { return bytes_ == 1 ? 0xFFu : 0xFFFFu; }

    const PciFunction* function_ = nullptr;
    std::uint8_t base_reg_ = 0;
    std::uint16_t offset_;
    int bytes_;
    std::uint32_t value_;
};

class AsusMux final : public SmbusTarget {
  public:
    // What the switch saw, in order: select-line changes and transactions.
    enum class Event { Connect, Disconnect, Forwarded, Refused };

    // selects_dimms reads the select lines: true while they connect the
    // sockets. Call update() whenever one of the lines may have changed.
    AsusMux(SmbusTarget& dimms, std::function<bool()> selects_dimms);

    void update();
    bool connected() const { return connected_; }
    const std::vector<Event>& log() const { return log_; }
    void clear_log() { log_.clear(); }

    std::optional<std::uint8_t> read_byte_data(std::uint8_t addr, std::uint8_t cmd) override;
    std::optional<std::uint16_t> read_word_data(std::uint8_t addr, std::uint8_t cmd) override;
    bool write_byte_data(std::uint8_t addr, std::uint8_t cmd, std::uint8_t value) override;
    bool write_word_data(std::uint8_t addr, std::uint8_t cmd, std::uint16_t value) override;

  private:
    bool pass();

    SmbusTarget& dimms_;
    std::function<bool()> selects_dimms_;
    bool connected_;
    std::vector<Event> log_;
};

}  // namespace ynvex::sim
