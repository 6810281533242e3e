#include "hw/ports_linux.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define YNVEX_HAVE_PORT_IO 1
#else
#define YNVEX_HAVE_PORT_IO 0
#endif

namespace ynvex::hw {

#if YNVEX_HAVE_PORT_IO

std::uint8_t LinuxPortBackend::in8(std::uint16_t port) {
    return inb(port);
}
std::uint16_t LinuxPortBackend::in16(std::uint16_t port) {
    return inw(port);
}
std::uint32_t LinuxPortBackend::in32(std::uint16_t port) {
    return inl(port);
}
// glibc's out* take the value first and the port second.
void LinuxPortBackend::out8(std::uint16_t port, std::uint8_t value) {
    outb(value, port);
}
void LinuxPortBackend::out16(std::uint16_t port, std::uint16_t value) {
    outw(value, port);
}
void LinuxPortBackend::out32(std::uint16_t port, std::uint32_t value) {
    outl(value, port);
}

namespace {
// The privilege level at which user code may execute in/out on every port.
constexpr int kIoPrivilegeAll = 3;
}  // namespace

std::string RequestPortAccess() {
    if (iopl(kIoPrivilegeAll) == 0) return {};
    return PortAccessRefusal(errno);
}

#else

// No port instructions on this processor: behave like an unclaimed bus. The
// backend is never installed, since RequestPortAccess() always refuses.
std::uint8_t LinuxPortBackend::in8(std::uint16_t) {
    return 0xFF;
}
std::uint16_t LinuxPortBackend::in16(std::uint16_t) {
    return 0xFFFF;
}
std::uint32_t LinuxPortBackend::in32(std::uint16_t) {
    return 0xFFFFFFFF;
}
void LinuxPortBackend::out8(std::uint16_t, std::uint8_t) {}
void LinuxPortBackend::out16(std::uint16_t, std::uint16_t) {}
void LinuxPortBackend::out32(std::uint16_t, std::uint32_t) {}

std::string RequestPortAccess() {
    return "cannot get I/O port access: this processor has no x86 port instructions; "
           "use --machine NAME for a simulated mainboard";
}

#endif

std::string PortAccessRefusal(int error) {
    std::string message = "cannot get I/O port access: iopl(3) failed: ";
    message += std::strerror(error);
    message += "; raw port I/O needs root or the CAP_SYS_RAWIO capability";
    if (error == ENOSYS) message += ", and a kernel built with iopl support";
    message += " (use --machine NAME for a simulated mainboard)";
    return message;
}

namespace {

std::filesystem::path FunctionFolder(const std::filesystem::path& devices, int dev, int func) {
    char name[16];
    std::snprintf(name, sizeof name, "0000:00:%02x.%x", static_cast<unsigned>(dev),
                  static_cast<unsigned>(func));
    return devices / name;
}

}  // namespace

std::string BoundKernelDriver(const std::filesystem::path& devices, int dev, int func) {
    if (dev < 0 || dev > 31 || func < 0 || func > 7) return {};
    std::error_code ec;
    const std::filesystem::path link = FunctionFolder(devices, dev, func) / "driver";
    // The link points at /sys/bus/pci/drivers/NAME; its last part is the name.
    const std::filesystem::path target = std::filesystem::read_symlink(link, ec);
    if (ec) return {};
    return target.filename().string();
}

std::string KernelDriverWarning(const std::filesystem::path& devices, int dev, int func) {
    const std::string driver = BoundKernelDriver(devices, dev, func);
    if (driver.empty()) return {};
    const std::string where = FunctionFolder(devices, dev, func).filename().string();
    return "warning: the kernel driver " + driver + " is bound to the SMBus controller at " +
           where +
           "; its transactions and this program's may disturb each other "
           "(unload it first, e.g. modprobe -r " +
           driver + ")";
}

}  // namespace ynvex::hw
