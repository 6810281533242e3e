#include "sim/chipset.h"

#include "sim/machine.h"

namespace ynvex::sim {
namespace {
// FUNC_DIS bit 0 is reserved; bits 1 to 7 stand for functions 1 to 7.
constexpr std::uint8_t kFuncDisableWritableLow = 0xFE;
constexpr std::uint8_t kFunctionsPerDevice = 8;
}  // namespace

IchLpcBridge::IchLpcBridge(Machine& machine, std::uint8_t bus, std::uint8_t dev,
                           std::uint32_t id_key, std::uint8_t revision)
    : PciFunction(id_key, revision), machine_(machine), bus_(bus), dev_(dev) {
    set_write_mask(kFuncDisable, kFuncDisableWritableLow);
    set_write_mask(kFuncDisable + 1, 0x00);
}

void IchLpcBridge::config_write(std::uint8_t offset, std::uint8_t value) {
    PciFunction::config_write(offset, value);
    if (offset == kFuncDisable) apply();
}

void IchLpcBridge::set_function_disable(std::uint16_t bits) {
    poke16(kFuncDisable, bits);
    apply();
}

void IchLpcBridge::apply() {
    const std::uint16_t bits = function_disable();
    for (std::uint8_t func = 1; func < kFunctionsPerDevice; ++func) {
        if (PciFunction* function = machine_.pci(bus_, dev_, func)) {
            function->set_hidden((bits >> func & 1) != 0);
        }
    }
}

Sis630LpcBridge::Sis630LpcBridge(std::uint32_t id_key, std::uint8_t revision,
                                 std::uint16_t acpi_base, bool acpi_enabled)
    : PciFunction(id_key, revision) {
    poke16(kAcpiBase, acpi_base);
    poke8(kBiosControl, acpi_enabled ? kAcpiEnable : 0x00);
}

std::uint8_t Sis630LpcBridge::config_read(std::uint8_t offset) {
    if ((offset == kAcpiBase || offset == kAcpiBase + 1) && !acpi_enabled()) return 0x00;
    return PciFunction::config_read(offset);
}

PciFunctionWithOutputs::PciFunctionWithOutputs(std::uint32_t id_key, std::uint8_t revision,
                                               std::uint8_t first, std::uint8_t count)
    : PciFunction(id_key, revision), first_(first), count_(count) {}

void PciFunctionWithOutputs::config_write(std::uint8_t offset, std::uint8_t value) {
    PciFunction::config_write(offset, value);
    if (offset >= first_ && offset - first_ < count_ && on_output_write) on_output_write();
}

}  // namespace ynvex::sim
