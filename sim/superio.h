// A Winbond W83627HF-class Super I/O chip as its configuration ports show it.
//
// The chip answers on its index and data ports only in configuration mode,
// entered by writing the key 0x87 twice in a row to the index port and left
// by writing 0xAA there. Register 0x07 selects the logical device; registers
// 0x00 to 0x2F are global, 0x30 and up belong to the selected device.
// Logical device 8 is GPIO port 2, whose data register 0xF1 drives GP20..GP27
// and reads back the output latch.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "sim/machine.h"

namespace ynvex::sim {

class WinbondSuperIo final : public IoDevice {
  public:
    static constexpr std::uint8_t kEntryKey = 0x87;
    static constexpr std::uint8_t kExitKey = 0xAA;
    static constexpr std::uint8_t kRegLogicalDevice = 0x07;
    static constexpr std::uint8_t kRegDeviceId = 0x20;
    static constexpr std::uint8_t kLdnGpio2 = 0x08;
    static constexpr std::uint8_t kRegGpio2Data = 0xF1;

    explicit WinbondSuperIo(std::uint16_t index_port = 0x2E, std::uint8_t device_id = 0x52);

    bool decodes(std::uint16_t port) const override;
    std::uint32_t io_read(std::uint16_t port, int width) override;
    void io_write(std::uint16_t port, int width, std::uint32_t value) override;

    bool in_config_mode() const { return config_mode_; }
    // Board set-up and inspection, past the configuration protocol.
    std::uint8_t reg(std::uint8_t ldn, std::uint8_t index) const;
    void set_reg(std::uint8_t ldn, std::uint8_t index, std::uint8_t value);

    // Called after every write to GPIO port 2's data register.
    std::function<void()> on_gpio2_write;

  private:
    std::uint8_t& cell(std::uint8_t ldn, std::uint8_t index);

    std::uint16_t index_port_;
    bool config_mode_ = false;
    bool key_seen_ = false;  // the first 0x87 of the entry key
    std::uint8_t index_ = 0;
    std::array<std::uint8_t, 0x30> global_{};
    std::array<std::array<std::uint8_t, 0x100>, 0x10> device_{};
};

}  // namespace ynvex::sim
