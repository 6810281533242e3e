// SMBus access of the controller: the identification reads that detection
// uses on PCI bus 0, and the SMBus transactions of the five register families.
#pragma once

#include <cstdint>

namespace ynvex {

// The ID key of bus 0 device dev function func: device ID in bits 31..16,
// vendor ID in bits 15..0; 0xFFFFFFFF for an absent function.
std::uint32_t SMBrd_did(std::uint32_t dev, std::uint32_t func);
// The revision ID (register 8, byte 0).
std::uint32_t SMBrd_rid(std::uint32_t dev, std::uint32_t func);
// An I/O base from the low or the high word of a configuration dword, with
// only bit 0 (the I/O-space indicator) cleared.
std::uint32_t SMBrdwo_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg);
std::uint32_t SMBrdwe_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg);

// The failure result of the transactions.
inline constexpr std::uint32_t kSMBfailed = 0xFFFFFFFF;

// SMBus transactions on the host controller with ID key `key` (which
// chooses the register family) at I/O base `base` (the controller record's
// base; the low 16 bits form the port). `address` is the 7-bit slave
// address, `offset` the command byte (its low 8 bits are sent).
//
// Read byte data: the byte, 0 to 0xFF, or kSMBfailed.
std::uint32_t SMBrdb(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset);
// Read word data: the word, 0 to 0xFFFF, or kSMBfailed. Data 0 gives bits
// 15..8 and data 1 bits 7..0, except in the AMD family, whose 16-bit data
// register gives the word as it stands.
std::uint32_t SMBrdw(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset);
// Write byte data (the low 8 bits of data) and write word data (the low 16
// bits, placed as SMBrdw reads them): 0 on success, or kSMBfailed.
std::uint32_t SMBwtb(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset, std::uint32_t data);
std::uint32_t SMBwtw(std::uint32_t key, std::uint32_t base, std::uint32_t address,
                     std::uint32_t offset, std::uint32_t data);

}  // namespace ynvex
