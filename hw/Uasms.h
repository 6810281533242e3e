// Setters for the ASUS SMBus multiplexer: each one a masked read-modify-write
// of one output location by one access method.
//
// keep masks the bits of the old value that survive; mask is applied to the
// new value before it is merged in. Unlike the configuration and SMBus
// routines these make no delay writes: the locations are plain output
// latches, and the read cycle switches them around every byte it reads.
#pragma once

#include <cstdint>

namespace ynvex {

// 8-bit port: (old & keep) | ((value & mask) << 3).
void ASMS1set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value);
// Super I/O logical device 8, register 0xF1, through the index port and the
// data port after it: (old & keep) | ((value & mask) << 3). Leaves the chip in
// configuration mode.
void ASMS2set(std::uint32_t index_port, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value);
// 8-bit port: (old & keep) | (value & mask).
void ASMS3set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value);
void ASMS4set(std::uint32_t port, std::uint32_t keep, std::uint32_t mask, std::uint32_t value);
// 16-bit port at base + offset: (old & keep) | (value & mask).
void ASMS5set(std::uint32_t base, std::uint32_t offset, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value);
// PCI configuration dword at a ready-made configuration address (enable bit
// included): the low word becomes (old & keep) | (value & mask), the high
// word goes back as read.
void ASMS6set(std::uint32_t config_address, std::uint32_t keep, std::uint32_t mask,
              std::uint32_t value);

}  // namespace ynvex
