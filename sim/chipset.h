// South-bridge functions with register side effects that detection and the
// multiplexer depend on.
#pragma once

#include <cstdint>
#include <functional>

#include "sim/pci.h"

namespace ynvex::sim {

class Machine;

// Intel ICH LPC bridge (device 31 function 0). Its function-disable word at
// 0xF2 (FUNC_DIS) takes functions of device 31 off the bus: bit n hides
// function n, so bit 3 hides the SMBus function 00:1F.3. A hidden function
// master-aborts (reads all ones) until the bit is cleared again.
class IchLpcBridge final : public PciFunction {
  public:
    static constexpr std::uint8_t kFuncDisable = 0xF2;
    static constexpr std::uint16_t kDisableSmbus = 0x0008;

    IchLpcBridge(Machine& machine, std::uint8_t bus, std::uint8_t dev, std::uint32_t id_key,
                 std::uint8_t revision = 0);

    void config_write(std::uint8_t offset, std::uint8_t value) override;

    // What the firmware left in FUNC_DIS; applies it to the functions that
    // are on the bus now. Functions added later follow at the next write.
    void set_function_disable(std::uint16_t bits);
    std::uint16_t function_disable() const { return peek16(kFuncDisable); }

  private:
    void apply();

    Machine& machine_;
    std::uint8_t bus_;
    std::uint8_t dev_;
};

// The SiS 630's LPC bridge (1039:0008, 00:01.0 beside the 630 host bridge).
// Register 0x40 bit 7 enables the ACPI I/O space; while it is clear the ACPI
// base word 0x74 is not accessible and reads 0.
class Sis630LpcBridge final : public PciFunction {
  public:
    static constexpr std::uint8_t kBiosControl = 0x40;
    static constexpr std::uint8_t kAcpiEnable = 0x80;
    static constexpr std::uint8_t kAcpiBase = 0x74;

    Sis630LpcBridge(std::uint32_t id_key, std::uint8_t revision, std::uint16_t acpi_base,
                    bool acpi_enabled);

    std::uint8_t config_read(std::uint8_t offset) override;
    bool acpi_enabled() const { return (peek8(kBiosControl) & kAcpiEnable) != 0; }
    std::uint16_t acpi_base() const { return peek16(kAcpiBase); }
};

// A function with an output register in configuration space (the ALi M7101
// general-purpose outputs at 0xB8): every write to it is reported, so a board
// can follow what the outputs drive.
class PciFunctionWithOutputs final : public PciFunction {
  public:
    PciFunctionWithOutputs(std::uint32_t id_key, std::uint8_t revision, std::uint8_t first,
                           std::uint8_t count);

    void config_write(std::uint8_t offset, std::uint8_t value) override;
    std::function<void()> on_output_write;

  private:
    std::uint8_t first_;
    std::uint8_t count_;
};

}  // namespace ynvex::sim
