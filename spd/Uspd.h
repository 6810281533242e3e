// The SPD reader: the 46 decoded rows of one module, and the read cycle that
// fills an SPD image from a DIMM slot and hands it to the matching decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "spd/Uspdf.h"

namespace ynvex {

inline constexpr std::size_t kSpdImageSize = 256;
// Bytes 0 to 127 are read and decoded; 128 to 255 are never touched.
inline constexpr std::size_t kSpdBytesUsed = 128;
using SpdImage = std::array<std::uint8_t, kSpdImageSize>;

inline constexpr std::size_t kSpdRows = 46;

// An image whose byte 0 is 0 counts as empty: not decoded, not reported.
inline bool SpdPresent(const SpdImage& image) {
    return image[0] != 0;
}

class TSPD {
  public:
    TSPD();

    // The rows in display order; each its own object, owned by the reader.
    std::array<std::unique_ptr<TSPDF>, kSpdRows> Row;

    // The decimal separator for the DDR SDRAM decoder's fixed-point numbers;
    // the caller sets it from the user's regional settings.
    char DecimalSeparator = '.';
};

}  // namespace ynvex
