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

}  // namespace ynvex
