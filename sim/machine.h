// The simulated mainboard: a port backend that models the hardware the
// program talks to.
//
// Port decoding, in order: the PCI configuration mechanism #1 ports, then the
// attached I/O devices in the order they were attached; a port that nothing
// decodes reads all ones and drops writes, like an unclaimed bus cycle. Every
// access is recorded in an ordered trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hw/ports.h"
#include "sim/pci.h"

namespace ynvex::sim {

enum class Dir { In, Out };

struct Access {
    Dir dir;
    int width;  // 8, 16 or 32
    std::uint16_t port;
    std::uint32_t value;
    bool operator==(const Access&) const = default;
};

// "out32 0cf8 8000f8f0": direction and width, the port as 4 and the value as
// 2, 4 or 8 lower-case hex digits by width.
std::string format_access(const Access& access);

// Something on the I/O bus that decodes some ports (an SMBus host
// controller, a Super I/O chip, an output port).
class IoDevice {
  public:
    virtual ~IoDevice() = default;
    virtual bool decodes(std::uint16_t port) const = 0;
    virtual std::uint32_t io_read(std::uint16_t port, int width) = 0;
    virtual void io_write(std::uint16_t port, int width, std::uint32_t value) = 0;
};

class Machine final : public hw::PortBackend {
  public:
    Machine() = default;
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    // Places a function on the bus (replacing one at the same place). Adding
    // a function other than 0 marks function 0 of the device multi-function.
    template <typename Function = PciFunction, typename... Args>
    Function& add_pci(std::uint8_t bus, std::uint8_t dev, std::uint8_t func, Args&&... args) {
        auto owned = std::make_unique<Function>(std::forward<Args>(args)...);
        Function& function = *owned;
        place(bus, dev, func, std::move(owned));
        return function;
    }
    // The function at a place, hidden or not; nullptr when none.
    PciFunction* pci(std::uint8_t bus, std::uint8_t dev, std::uint8_t func) const;

    template <typename Device, typename... Args>
    Device& add_io(Args&&... args) {
        auto owned = std::make_unique<Device>(std::forward<Args>(args)...);
        Device& device = *owned;
        io_devices_.push_back(std::move(owned));
        return device;
    }

    const std::vector<Access>& trace() const { return trace_; }
    void clear_trace() { trace_.clear(); }
    void set_tracing(bool on) { tracing_ = on; }
    // Writes to the delay port 0xEB since the machine was built.
    std::size_t delay_writes() const { return delay_writes_; }
    // The dword latched at 0xCF8.
    std::uint32_t config_address() const { return config_address_; }

    std::uint8_t in8(std::uint16_t port) override;
    std::uint16_t in16(std::uint16_t port) override;
    std::uint32_t in32(std::uint16_t port) override;
    void out8(std::uint16_t port, std::uint8_t value) override;
    void out16(std::uint16_t port, std::uint16_t value) override;
    void out32(std::uint16_t port, std::uint32_t value) override;

  private:
    void place(std::uint8_t bus, std::uint8_t dev, std::uint8_t func,
               std::unique_ptr<PciFunction> function);
    std::uint32_t read(std::uint16_t port, int width);
    void write(std::uint16_t port, int width, std::uint32_t value);
    void record(Dir dir, int width, std::uint16_t port, std::uint32_t value);
    PciFunction* addressed_function() const;
    IoDevice* io_device(std::uint16_t port) const;

    std::map<std::uint32_t, std::unique_ptr<PciFunction>> functions_;  // by bus/dev/func
    std::vector<std::unique_ptr<IoDevice>> io_devices_;
    std::vector<Access> trace_;
    bool tracing_ = true;
    std::size_t delay_writes_ = 0;
    std::uint32_t config_address_ = 0;
};

}  // namespace ynvex::sim
