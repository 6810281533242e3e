// --trace: every port access of the run, in order, one line each. The lines
// go to the file as the accesses happen rather than piling up in memory.
#pragma once

#include <cstdio>
#include <string>

#include "hw/ports.h"

namespace ynvex::cli {

// Passes every access on to the backend below and writes it to the file in
// the trace format of the simulated mainboard ("out32 0cf8 80003800").
class TraceBackend final : public hw::PortBackend {
  public:
    TraceBackend(hw::PortBackend& inner, std::FILE* file) : inner_(inner), file_(file) {}

    std::uint8_t in8(std::uint16_t port) override;
    std::uint16_t in16(std::uint16_t port) override;
    std::uint32_t in32(std::uint16_t port) override;
    void out8(std::uint16_t port, std::uint8_t value) override;
    void out16(std::uint16_t port, std::uint16_t value) override;
    void out32(std::uint16_t port, std::uint32_t value) override;

  private:
    void write(bool in, int width, std::uint16_t port, std::uint32_t value);

    hw::PortBackend& inner_;
    std::FILE* file_;
};

}  // namespace ynvex::cli
