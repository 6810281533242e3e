// The port seam: every x86 port access of the program goes through here.
//
// The hardware routines call io_in8 .. io_out32; these forward to the
// process's current port backend. A backend is the real machine (raw port
// instructions, installed only when the user asks for real hardware) or a
// simulated mainboard. With no backend installed, the null backend answers:
// reads float to all ones and writes go nowhere, as on an unclaimed bus cycle,
// so nothing can ever reach a real port by accident.
#pragma once

#include <cstdint>

namespace ynvex::hw {

class PortBackend {
  public:
    virtual ~PortBackend() = default;
    virtual std::uint8_t in8(std::uint16_t port) = 0;
    virtual std::uint16_t in16(std::uint16_t port) = 0;
    virtual std::uint32_t in32(std::uint16_t port) = 0;
    virtual void out8(std::uint16_t port, std::uint8_t value) = 0;
    virtual void out16(std::uint16_t port, std::uint16_t value) = 0;
    virtual void out32(std::uint16_t port, std::uint32_t value) = 0;
};

// The backend in use; never null.
PortBackend& current_backend();

// Installs a backend for the whole process (nullptr restores the null
// backend) and returns the one it replaced.
PortBackend* set_backend(PortBackend* backend);

// Installs a backend for the lifetime of the object and restores the previous
// one afterwards; this is how a test puts a simulated mainboard under the code.
class ScopedPortBackend {
  public:
    explicit ScopedPortBackend(PortBackend& backend) : previous_(set_backend(&backend)) {}
    ~ScopedPortBackend() { set_backend(previous_); }
    ScopedPortBackend(const ScopedPortBackend&) = delete;
    ScopedPortBackend& operator=(const ScopedPortBackend&) = delete;

  private:
    PortBackend* previous_;
};

// Port accesses over unsigned 32-bit values, as the hardware routines work.
// The port is the low 16 bits of the argument; inputs are zero-extended and
// outputs take the low 8, 16 or 32 bits of the value.
std::uint32_t io_in8(std::uint32_t port);
std::uint32_t io_in16(std::uint32_t port);
std::uint32_t io_in32(std::uint32_t port);
void io_out8(std::uint32_t port, std::uint32_t value);
void io_out16(std::uint32_t port, std::uint32_t value);
void io_out32(std::uint32_t port, std::uint32_t value);

// The unused AT port whose write serves as an I/O delay after an access.
inline constexpr std::uint32_t kDelayPort = 0xEB;

// One delay write: the low byte of the value just transferred goes to 0xEB.
inline void io_delay(std::uint32_t value) {
    io_out8(kDelayPort, value);
}

using PortIn = std::uint32_t (*)(std::uint32_t port);
using PortOut = void (*)(std::uint32_t port, std::uint32_t value);

// An access followed by `delays` delay writes of the value transferred: the
// configuration layer makes one, an SMBus transaction two.
inline std::uint32_t io_in_delayed(PortIn in, std::uint32_t port, int delays) {
    const std::uint32_t value = in(port);
    for (int i = 0; i < delays; ++i) io_delay(value);
    return value;
}
inline void io_out_delayed(PortOut out, std::uint32_t port, std::uint32_t value, int delays) {
    out(port, value);
    for (int i = 0; i < delays; ++i) io_delay(value);
}

}  // namespace ynvex::hw
