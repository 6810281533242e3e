#include "hw/Usmbus.h"

#include "hw/Upcicfg.h"

namespace ynvex {
namespace {
constexpr std::uint32_t kRegIdKey = 0x00;
constexpr std::uint32_t kRegRevision = 0x08;
constexpr std::uint32_t kIoSpaceIndicator = 0x0001;
constexpr std::uint32_t kBaseMask = 0xFFFF & ~kIoSpaceIndicator;
}  // namespace

std::uint32_t SMBrd_did(std::uint32_t dev, std::uint32_t func) {
    return PCIcfg_rdd(0, dev, func, kRegIdKey);
}
std::uint32_t SMBrd_rid(std::uint32_t dev, std::uint32_t func) {
    return PCIcfg_rdb0(0, dev, func, kRegRevision);
}
std::uint32_t SMBrdwo_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg) {
    return PCIcfg_rdwo(0, dev, func, reg) & kBaseMask;
}
std::uint32_t SMBrdwe_bad(std::uint32_t dev, std::uint32_t func, std::uint32_t reg) {
    return PCIcfg_rdwe(0, dev, func, reg) & kBaseMask;
}

}  // namespace ynvex
