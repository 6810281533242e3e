// PCI configuration space access by configuration mechanism #1.
//
// Each routine is one complete configuration cycle: the address (with the
// enable bit) goes to 0xCF8, the data moves through the window 0xCFC..0xCFF,
// and the address is written again with the enable bit clear, so the enable
// bit is never left set between calls. Every port access is followed by one
// delay write to 0xEB. The register argument is a byte offset; only its bits
// 7..2 address the dword, and which part of the dword is meant is given by the
// routine itself (0xF2 and 0xF0 both reach the dword at 0xF0).
#pragma once

#include <cstdint>

namespace ynvex {

inline constexpr std::uint32_t kPciConfigAddress = 0xCF8;
inline constexpr std::uint32_t kPciConfigData = 0xCFC;
inline constexpr std::uint32_t kPciConfigEnable = 0x80000000;

// The dword for 0xCF8, enable bit set; every field masked to its width.
std::uint32_t PCIcfg_address(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                             std::uint32_t reg);

std::uint32_t PCIcfg_rdd(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                         std::uint32_t reg);
std::uint32_t PCIcfg_rdwo(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);
std::uint32_t PCIcfg_rdwe(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);
std::uint32_t PCIcfg_rdb0(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);
std::uint32_t PCIcfg_rdb1(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);
std::uint32_t PCIcfg_rdb2(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);
std::uint32_t PCIcfg_rdb3(std::uint32_t bus, std::uint32_t dev, std::uint32_t func,
                          std::uint32_t reg);

void PCIcfg_wtd(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                std::uint32_t value);
void PCIcfg_wtwo(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);
void PCIcfg_wtwe(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);
void PCIcfg_wtb0(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);
void PCIcfg_wtb1(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);
void PCIcfg_wtb2(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);
void PCIcfg_wtb3(std::uint32_t bus, std::uint32_t dev, std::uint32_t func, std::uint32_t reg,
                 std::uint32_t value);

}  // namespace ynvex
