// The Linux port backend: raw x86 port instructions executed by this
// process, once the kernel has granted it I/O privilege.
//
// The program reaches ports far above 0x3FF (SMBus register blocks such as
// 0xE400, the multiplexer ports 0xE437 and 0xE44D), which ioperm() cannot
// open; only iopl(3) covers the whole port space. That needs root or the
// CAP_SYS_RAWIO capability, and a kernel that still offers the call.
#pragma once

#include <filesystem>
#include <string>

#include "hw/ports.h"

namespace ynvex::hw {

// Executes in/out directly. Install it only after RequestPortAccess() has
// succeeded: without I/O privilege every instruction faults.
class LinuxPortBackend final : public PortBackend {
  public:
    std::uint8_t in8(std::uint16_t port) override;
    std::uint16_t in16(std::uint16_t port) override;
    std::uint32_t in32(std::uint16_t port) override;
    void out8(std::uint16_t port, std::uint8_t value) override;
    void out16(std::uint16_t port, std::uint16_t value) override;
    void out32(std::uint16_t port, std::uint32_t value) override;
};

// Asks the kernel for I/O privilege over all ports. Empty on success;
// otherwise a message that says what failed and what the user can do.
// Touches no port either way.
std::string RequestPortAccess();

// The refusal message for the errno that iopl() left.
std::string PortAccessRefusal(int error);

// Where the kernel lists the PCI functions it knows, each a folder named
// DOMAIN:BUS:DEV.FUNC with a "driver" link when a driver is bound.
inline const std::filesystem::path kSysfsPciDevices = "/sys/bus/pci/devices";

// The name of the kernel driver bound to PCI function 0000:00:dev.func, or
// empty when none is bound (or the function is not listed, or dev/func are
// out of range, as for "no controller").
std::string BoundKernelDriver(const std::filesystem::path& devices, int dev, int func);

// A warning that a kernel driver owns the SMBus controller at bus 0 dev.func
// and may run its own transactions in the middle of ours; empty when no
// driver is bound.
std::string KernelDriverWarning(const std::filesystem::path& devices, int dev, int func);

}  // namespace ynvex::hw
