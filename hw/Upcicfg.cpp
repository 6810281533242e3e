#include "hw/Upcicfg.h"

#include "hw/ports.h"

namespace ynvex {
namespace {

constexpr std::uint32_t kLowWordMask = 0x0000FFFF;
constexpr std::uint32_t kByte0Mask = 0x000000FF;

// Where a part of the dword sits in the data window.
constexpr std::uint32_t window(std::uint32_t byte) {
    return kPciConfigData + byte;
}

// Every access of a configuration cycle is followed by one delay write.
constexpr int kConfigDelays = 1;

std::uint32_t in_delayed(hw::PortIn in, std::uint32_t port) {
    return hw::io_in_delayed(in, port, kConfigDelays);
}
void out_delayed(hw::PortOut out, std::uint32_t port, std::uint32_t value) {
    hw::io_out_delayed(out, port, value, kConfigDelays);
}

// One configuration cycle: open the address, run the data accesses, close it.
template <typename DataAccess>
std::uint32_t config_cycle(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                           std::uint32_t reg, DataAccess data_access) {
    const std::uint32_t address = PCIcfg_address(bus, dev, func, reg);
    out_delayed(hw::io_out32, kPciConfigAddress, address);
    const std::uint32_t result = data_access();
    out_delayed(hw::io_out32, kPciConfigAddress, address & ~kPciConfigEnable);
    return result;
}

std::uint32_t read(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                   hw::PortIn in, std::uint32_t port, std::uint32_t mask) {
    return config_cycle(bus, dev, func, reg, [&] { return in_delayed(in, port) & mask; });
}

void write(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
           hw::PortOut out, std::uint32_t port, std::uint32_t value) {
    config_cycle(bus, dev, func, reg, [&] {
        out_delayed(out, port, value);
        return 0u;
    });
}

// Read the dword, replace the bits under mask, write the dword back: the
// other bytes are rewritten with the values just read.
void merge_dword(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t mask, std::uint32_t value) {
    config_cycle(bus, dev, func, reg, [&] {
        const std::uint32_t old = in_delayed(hw::io_in32, kPciConfigData);
        out_delayed(hw::io_out32, kPciConfigData, (old & ~mask) | (value & mask));
        return 0u;
    });
}

}  // namespace

std::uint32_t PCIcfg_address(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                             std::uint32_t reg) {
    return kPciConfigEnable | (bus & 0xFF) << 16 | (dev & 0x1F) << 11 | (func & 0x07) << 8 |
           (reg & 0xFC);
}

std::uint32_t PCIcfg_rdd(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                         std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in32, window(0), 0xFFFFFFFF);
}
std::uint32_t PCIcfg_rdwo(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in32, window(0), kLowWordMask);
}
std::uint32_t PCIcfg_rdwe(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in16, window(2), kLowWordMask);
}
std::uint32_t PCIcfg_rdb0(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in32, window(0), kByte0Mask);
}
std::uint32_t PCIcfg_rdb1(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in8, window(1), kByte0Mask);
}
std::uint32_t PCIcfg_rdb2(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in8, window(2), kByte0Mask);
}
std::uint32_t PCIcfg_rdb3(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg) {
    return read(bus, dev, func, reg, hw::io_in8, window(3), kByte0Mask);
}

void PCIcfg_wtd(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                std::uint32_t value) {
    write(bus, dev, func, reg, hw::io_out32, window(0), value);
}
void PCIcfg_wtwo(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    merge_dword(bus, dev, func, reg, kLowWordMask, value);
}
void PCIcfg_wtwe(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    write(bus, dev, func, reg, hw::io_out16, window(2), value & kLowWordMask);
}
void PCIcfg_wtb0(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    merge_dword(bus, dev, func, reg, kByte0Mask, value);
}
void PCIcfg_wtb1(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    write(bus, dev, func, reg, hw::io_out8, window(1), value & kByte0Mask);
}
void PCIcfg_wtb2(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    write(bus, dev, func, reg, hw::io_out8, window(2), value & kByte0Mask);
}
void PCIcfg_wtb3(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value) {
    write(bus, dev, func, reg, hw::io_out8, window(3), value & kByte0Mask);
}

}  // namespace ynvex
