// The module maker from its JEDEC JEP106 manufacturer ID code (SPD bytes 64
// to 71): continuation codes 0x7F select the bank, the next byte is the
// maker's number within it, with an odd-parity bit in bit 7.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ynvex {

inline constexpr int kMfidBanks = 4;
inline constexpr int kMfidPerBank = 127;

// Entry (bank - 1) * 127 + (number - 1) names that bank's code number, or is
// nullptr when the table holds no name for it.
extern const std::array<const char*, kMfidBanks * kMfidPerBank> strMfid;

class TMFID {
  public:
    std::int32_t bank = -1;
    std::int32_t number = -1;
    std::string name = "Unknown";

    // code: the 8 code bytes, SPD bytes 64 to 71, first byte first. Sets all
    // three fields when the code is identified; otherwise changes nothing.
    void Lookup(const std::uint8_t* code);
};

}  // namespace ynvex
