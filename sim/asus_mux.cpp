#include "sim/asus_mux.h"

#include <utility>

namespace ynvex::sim {
namespace {
constexpr std::uint16_t kIoIndicator = 0x0001;
}  // namespace

OutputRegister::OutputRegister(std::uint16_t port, int bytes, std::uint32_t initial)
    : offset_(port), bytes_(bytes == 2 ? 2 : 1), value_(initial & all_bits()) {}

OutputRegister::OutputRegister(const PciFunction& function, std::uint8_t base_reg,
                               std::uint16_t offset, int bytes, std::uint32_t initial)
    : function_(&function),
      base_reg_(base_reg),
      offset_(offset),
      bytes_(bytes == 2 ? 2 : 1),
      value_(initial & all_bits()) {}

std::uint16_t OutputRegister::port() const {
    if (function_ == nullptr) return offset_;
    const std::uint16_t base = function_->peek16(base_reg_) & ~kIoIndicator;
    return base == 0 ? 0 : static_cast<std::uint16_t>(base + offset_);
}

bool OutputRegister::decodes(std::uint16_t port) const {
    const std::uint16_t first = this->port();
    return first != 0 && port >= first && port < first + bytes_;
}

std::uint32_t OutputRegister::io_read(std::uint16_t port, int width) {
    // Byte lanes past the register are not driven: they float high.
    const int lane = port - this->port();
    std::uint32_t value = 0;
    for (int i = width / 8 - 1; i >= 0; --i) {
        const int byte = lane + i;
        value = value << 8 | (byte < bytes_ ? (value_ >> (8 * byte) & 0xFF) : 0xFF);
    }
    return value;
}

void OutputRegister::io_write(std::uint16_t port, int width, std::uint32_t value) {
    const int lane = port - this->port();
    for (int i = 0; i < width / 8; ++i) {
        const int byte = lane + i;
        if (byte >= bytes_) break;
        const std::uint32_t shift = 8 * static_cast<std::uint32_t>(byte);
        value_ = (value_ & ~(0xFFu << shift)) | ((value >> (8 * i) & 0xFF) << shift);
    }
    if (on_write) on_write();
}

AsusMux::AsusMux(SmbusTarget& dimms, std::function<bool()> selects_dimms)
    : dimms_(dimms), selects_dimms_(std::move(selects_dimms)), connected_(selects_dimms_()) {}

void AsusMux::update() {
    const bool now = selects_dimms_();
    if (now != connected_) log_.push_back(now ? Event::Connect : Event::Disconnect);
    connected_ = now;
}

bool AsusMux::pass() {
    log_.push_back(connected_ ? Event::Forwarded : Event::Refused);
    return connected_;
}

std::optional<std::uint8_t> AsusMux::read_byte_data(std::uint8_t addr, std::uint8_t cmd) {
    if (!pass()) return std::nullopt;
    return dimms_.read_byte_data(addr, cmd);
}

std::optional<std::uint16_t> AsusMux::read_word_data(std::uint8_t addr, std::uint8_t cmd) {
    if (!pass()) return std::nullopt;
    return dimms_.read_word_data(addr, cmd);
}

bool AsusMux::write_byte_data(std::uint8_t addr, std::uint8_t cmd, std::uint8_t value) {
    return pass() && dimms_.write_byte_data(addr, cmd, value);
}

bool AsusMux::write_word_data(std::uint8_t addr, std::uint8_t cmd, std::uint16_t value) {
    return pass() && dimms_.write_word_data(addr, cmd, value);
}

}  // namespace ynvex::sim
