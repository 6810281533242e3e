// SPD dumps of real modules, compiled in so that the simulated boards need no
// files at run time. The dumps themselves are in sim/data/.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace ynvex::sim {

struct SpdSample {
    std::string_view name;                // the dump's file name without ".bin"
    std::span<const std::uint8_t> bytes;  // 128 or 256 bytes
};

// In the order of their names.
const std::vector<SpdSample>& spd_samples();

}  // namespace ynvex::sim
