#include "hw/ports.h"

namespace ynvex::hw {
namespace {

// Answers like an ISA bus where nothing decodes the port.
class NullBackend final : public PortBackend {
  public:
    std::uint8_t in8(std::uint16_t) override { return 0xFF; }
    std::uint16_t in16(std::uint16_t) override { return 0xFFFF; }
    std::uint32_t in32(std::uint16_t) override { return 0xFFFFFFFF; }
    void out8(std::uint16_t, std::uint8_t) override {}
    void out16(std::uint16_t, std::uint16_t) override {}
    void out32(std::uint16_t, std::uint32_t) override {}
};

NullBackend null_backend;
PortBackend* backend = &null_backend;

std::uint16_t port_of(std::uint32_t port) {
    return static_cast<std::uint16_t>(port & 0xFFFF);
}

}  // namespace

PortBackend& current_backend() {
    return *backend;
}

PortBackend* set_backend(PortBackend* next) {
    PortBackend* previous = backend;
    backend = next != nullptr ? next : &null_backend;
    return previous == &null_backend ? nullptr : previous;
}

std::uint32_t io_in8(std::uint32_t port) {
    return backend->in8(port_of(port));
}
std::uint32_t io_in16(std::uint32_t port) {
    return backend->in16(port_of(port));
}
std::uint32_t io_in32(std::uint32_t port) {
    return backend->in32(port_of(port));
}

void io_out8(std::uint32_t port, std::uint32_t value) {
    backend->out8(port_of(port), static_cast<std::uint8_t>(value));
}
void io_out16(std::uint32_t port, std::uint32_t value) {
    backend->out16(port_of(port), static_cast<std::uint16_t>(value));
}
void io_out32(std::uint32_t port, std::uint32_t value) {
    backend->out32(port_of(port), value);
}

}  // namespace ynvex::hw
