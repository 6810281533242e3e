#include "hw/Uasms.h"

#include "hw/Upcicfg.h"
#include "hw/ports.h"

namespace ynvex {
namespace {

// Winbond-style Super I/O configuration: the entry key goes to the index port
// twice; register 0x07 selects the logical device; device 8 holds the GPIO
// data register 0xF1.
constexpr std::uint32_t kSioEntryKey = 0x87;
constexpr std::uint32_t kSioRegLogicalDevice = 0x07;
constexpr std::uint32_t kSioLogicalDeviceGpio = 0x08;
constexpr std::uint32_t kSioRegGpioData = 0xF1;

constexpr std::uint32_t kLowWord = 0xFFFF;
constexpr std::uint32_t kHighWord = 0xFFFF0000;

std::uint32_t merged(std::uint32_t old, std::uint32_t keep, std::uint32_t bits) {
    return (old & keep) | bits;
}

void set8(std::uint32_t port, std::uint32_t keep, std::uint32_t bits) {
    hw::io_out8(port, merged(hw::io_in8(port), keep, bits));
}

}  // namespace

void ASMS1set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value) {
    set8(port, keep, (value & mask) << 3);
}

void ASMS2set(std::uint32_t index_port, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value) {
    const std::uint32_t data_port = index_port + 1;
    hw::io_out8(index_port, kSioEntryKey);
    hw::io_out8(index_port, kSioEntryKey);
    hw::io_out8(index_port, kSioRegLogicalDevice);
    hw::io_out8(data_port, kSioLogicalDeviceGpio);
    hw::io_out8(index_port, kSioRegGpioData);
    const std::uint32_t old = hw::io_in8(data_port);
    hw::io_out8(index_port, kSioRegGpioData);
    hw::io_out8(data_port, merged(old, keep, (value & mask) << 3));
}

void ASMS3set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value) {
    set8(port, keep, value & mask);
}

void ASMS4set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value) {
    set8(port, keep, value & mask);
}

void ASMS5set(std::uint32_t base, std::uint32_t offset, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value) {
    const std::uint32_t port = base + offset;
    hw::io_out16(port, merged(hw::io_in16(port), keep, value & mask));
}

void ASMS6set(std::uint32_t config_address, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value) {
    hw::io_out32(kPciConfigAddress, config_address);
    const std::uint32_t old = hw::io_in32(kPciConfigData);
    const std::uint32_t low = merged(old & kLowWord, keep, value & mask) & kLowWord;
    hw::io_out32(kPciConfigData, (old & kHighWord) | low);
    hw::io_out32(kPciConfigAddress, config_address & ~kPciConfigEnable);
}

}  // namespace ynvex
