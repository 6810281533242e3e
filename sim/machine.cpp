#include "sim/machine.h"

#include <cstdio>

namespace ynvex::sim {
namespace {

constexpr std::uint16_t kConfigAddressPort = 0xCF8;
constexpr std::uint16_t kConfigDataPort = 0xCFC;
constexpr std::uint32_t kEnable = 0x80000000;

std::uint32_t place_key(std::uint32_t bus, std::uint32_t dev, std::uint32_t func) {
    return (bus & 0xFF) << 8 | (dev & 0x1F) << 3 | (func & 0x07);
}

std::uint32_t all_ones(int width) {
    return width == 32 ? 0xFFFFFFFFu : (1u << width) - 1;
}

bool in_config_window(std::uint16_t port) {
    return port >= kConfigDataPort && port < kConfigDataPort + 4;
}

}  // namespace

std::string format_access(const Access& access) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d %04x %0*x", access.dir == Dir::In ? "in" : "out",
                  access.width, static_cast<unsigned>(access.port), access.width / 4,
                  static_cast<unsigned>(access.value));
    return text;
}

void Machine::place(std::uint8_t bus, std::uint8_t dev, std::uint8_t func,
                    std::unique_ptr<PciFunction> function) {
    functions_[place_key(bus, dev, func)] = std::move(function);
    PciFunction* first = pci(bus, dev, 0);
    bool multi = false;
    for (std::uint8_t f = 1; f < 8; ++f) multi = multi || pci(bus, dev, f) != nullptr;
    if (first != nullptr && multi) {
        first->poke8(kCfgHeaderType, first->peek8(kCfgHeaderType) | kHeaderMultiFunction);
    }
}

PciFunction* Machine::pci(std::uint8_t bus, std::uint8_t dev, std::uint8_t func) const {
    auto it = functions_.find(place_key(bus, dev, func));
    return it == functions_.end() ? nullptr : it->second.get();
}

PciFunction* Machine::addressed_function() const {
    if ((config_address_ & kEnable) == 0) return nullptr;
    PciFunction* function =
        pci(config_address_ >> 16 & 0xFF, config_address_ >> 11 & 0x1F, config_address_ >> 8 & 7);
    return function != nullptr && !function->hidden() ? function : nullptr;
}

IoDevice* Machine::io_device(std::uint16_t port) const {
    for (const auto& device : io_devices_) {
        if (device->decodes(port)) return device.get();
    }
    return nullptr;
}

std::uint32_t Machine::read(std::uint16_t port, int width) {
    if (port == kConfigAddressPort && width == 32) return config_address_;
    if (in_config_window(port) && (config_address_ & kEnable) != 0) {
        // The window reaches the bytes of the addressed dword; with nobody
        // there the cycle master-aborts and reads all ones.
        PciFunction* function = addressed_function();
        std::uint32_t value = 0;
        for (int i = width / 8 - 1; i >= 0; --i) {
            const int byte = port - kConfigDataPort + i;
            std::uint32_t part = 0xFF;
            if (function != nullptr && byte < 4) {
                part = function->config_read(
                    static_cast<std::uint8_t>((config_address_ & 0xFC) + byte));
            }
            value = value << 8 | part;
        }
        return value;
    }
    if (IoDevice* device = io_device(port)) return device->io_read(port, width) & all_ones(width);
    return all_ones(width);
}

void Machine::write(std::uint16_t port, int width, std::uint32_t value) {
    // Only a dword access latches the configuration address; narrower ones
    // pass through as ordinary I/O cycles.
    if (port == kConfigAddressPort && width == 32) {
        config_address_ = value;
        return;
    }
    if (in_config_window(port) && (config_address_ & kEnable) != 0) {
        PciFunction* function = addressed_function();
        for (int i = 0; function != nullptr && i < width / 8; ++i) {
            const int byte = port - kConfigDataPort + i;
            if (byte < 4) {
                function->config_write(static_cast<std::uint8_t>((config_address_ & 0xFC) + byte),
                                       static_cast<std::uint8_t>(value >> (8 * i)));
            }
        }
        return;
    }
    if (port == hw::kDelayPort) ++delay_writes_;
    if (IoDevice* device = io_device(port)) device->io_write(port, width, value & all_ones(width));
}

void Machine::record(Dir dir, int width, std::uint16_t port, std::uint32_t value) {
    if (tracing_) trace_.push_back({dir, width, port, value});
}

std::uint8_t Machine::in8(std::uint16_t port) {
    auto value = static_cast<std::uint8_t>(read(port, 8));
    record(Dir::In, 8, port, value);
    return value;
}
std::uint16_t Machine::in16(std::uint16_t port) {
    auto value = static_cast<std::uint16_t>(read(port, 16));
    record(Dir::In, 16, port, value);
    return value;
}
std::uint32_t Machine::in32(std::uint16_t port) {
    std::uint32_t value = read(port, 32);
    record(Dir::In, 32, port, value);
    return value;
}
void Machine::out8(std::uint16_t port, std::uint8_t value) {
    record(Dir::Out, 8, port, value);
    write(port, 8, value);
}
void Machine::out16(std::uint16_t port, std::uint16_t value) {
    record(Dir::Out, 16, port, value);
    write(port, 16, value);
}
void Machine::out32(std::uint16_t port, std::uint32_t value) {
    record(Dir::Out, 32, port, value);
    write(port, 32, value);
}

}  // namespace ynvex::sim
