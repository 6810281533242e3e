#include "sim/superio.h"

namespace ynvex::sim {
namespace {
constexpr std::uint8_t kGlobalRegisters = 0x30;
constexpr std::uint8_t kRegGpio2Select = 0xF0;  // 1 = input; all inputs after reset
}  // namespace

WinbondSuperIo::WinbondSuperIo(std::uint16_t index_port, std::uint8_t device_id)
    : index_port_(index_port) {
    global_[kRegDeviceId] = device_id;
    device_[kLdnGpio2][kRegGpio2Select] = 0xFF;
}

bool WinbondSuperIo::decodes(std::uint16_t port) const {
    return port == index_port_ || port == index_port_ + 1;
}

std::uint8_t& WinbondSuperIo::cell(std::uint8_t ldn, std::uint8_t index) {
    if (index < kGlobalRegisters) return global_[index];
    return device_[ldn & 0x0F][index];
}

std::uint8_t WinbondSuperIo::reg(std::uint8_t ldn, std::uint8_t index) const {
    if (index < kGlobalRegisters) return global_[index];
    return device_[ldn & 0x0F][index];
}

void WinbondSuperIo::set_reg(std::uint8_t ldn, std::uint8_t index, std::uint8_t value) {
    cell(ldn, index) = value;
}

std::uint32_t WinbondSuperIo::io_read(std::uint16_t port, int /*width*/) {
    // Outside configuration mode the ports are not claimed: they float.
    if (!config_mode_) return 0xFF;
    if (port == index_port_) return index_;
    return cell(global_[kRegLogicalDevice], index_);
}

void WinbondSuperIo::io_write(std::uint16_t port, int /*width*/, std::uint32_t value) {
    const auto byte = static_cast<std::uint8_t>(value);
    if (!config_mode_) {
        if (port != index_port_) return;
        // The key must arrive twice in a row.
        if (byte == kEntryKey && key_seen_) {
            config_mode_ = true;
            key_seen_ = false;
        } else {
            key_seen_ = byte == kEntryKey;
        }
        return;
    }
    if (port == index_port_) {
        if (byte == kExitKey) {
            config_mode_ = false;
        } else {
            index_ = byte;
        }
        return;
    }
    if (index_ == kRegDeviceId || index_ == kRegDeviceId + 1) return;  // read-only
    const std::uint8_t ldn = global_[kRegLogicalDevice];
    cell(ldn, index_) = byte;
    if (ldn == kLdnGpio2 && index_ == kRegGpio2Data && on_gpio2_write) on_gpio2_write();
}

}  // namespace ynvex::sim
