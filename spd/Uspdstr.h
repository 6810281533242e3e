// The value texts that both decoders share, and the memory-type names.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ynvex {

inline const std::string strNA = "N/A";
inline const std::string strUndefined = "Undefined";
inline const std::string strNone = "None";
inline const std::string strReserved = "Reserved";
inline const std::string strBytes = " bytes";
inline const std::string strBits = " bits";
inline const std::string strRows = " rows";
inline const std::string strRFU = " RFU";

// Indexed by SPD byte 2; codes 8 to 255 have no entry, so test the code with
// HasMemTypeName before indexing.
inline const std::array<std::string, 8> strMemType = {
    "Reserved", "Standard FPM DRAM", "EDO",       "Pipelined Nibble", "SDRAM",
    "ROM",      "DDR SGRAM",         "DDR SDRAM",
};

inline constexpr std::uint8_t kMemTypeDdrSdram = 7;

inline bool HasMemTypeName(std::uint32_t code) {
    return code < strMemType.size();
}

}  // namespace ynvex
