#include "sim/smbus.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace ynvex::sim {

bool SpdEeprom::load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::vector<char> data((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    if (data.empty()) return false;
    bytes.fill(0xFF);
    for (std::size_t i = 0; i < data.size() && i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(data[i]);
    }
    return true;
}

bool SpdEeprom::acknowledges(std::uint8_t offset, bool write) {
    if (write_cycle_left_ > 0) {
        --write_cycle_left_;
        return false;
    }
    return write || failing_offsets.count(offset) == 0;
}

SpdEeprom& SmbusSegment::attach(std::uint8_t addr, std::shared_ptr<SpdEeprom> eeprom) {
    auto& slot = devices_[addr & 0x7F];
    slot = std::move(eeprom);
    return *slot;
}

SpdEeprom* SmbusSegment::device(std::uint8_t addr) const {
    auto it = devices_.find(addr & 0x7F);
    return it == devices_.end() ? nullptr : it->second.get();
}

std::optional<std::uint8_t> SmbusSegment::read_byte_data(std::uint8_t addr, std::uint8_t cmd) {
    SpdEeprom* eeprom = device(addr);
    if (eeprom == nullptr || !eeprom->acknowledges(cmd, false)) return std::nullopt;
    return eeprom->read_byte(cmd);
}

std::optional<std::uint16_t> SmbusSegment::read_word_data(std::uint8_t addr, std::uint8_t cmd) {
    SpdEeprom* eeprom = device(addr);
    if (eeprom == nullptr || !eeprom->acknowledges(cmd, false)) return std::nullopt;
    const std::uint8_t low = eeprom->read_byte(cmd);
    const std::uint8_t high = eeprom->read_byte(static_cast<std::uint8_t>(cmd + 1));
    return static_cast<std::uint16_t>(low | high << 8);
}

bool SmbusSegment::write_byte_data(std::uint8_t addr, std::uint8_t cmd, std::uint8_t value) {
    SpdEeprom* eeprom = device(addr);
    if (eeprom == nullptr || !eeprom->acknowledges(cmd, true)) return false;
    eeprom->write_byte(cmd, value);
    eeprom->written();
    return true;
}

bool SmbusSegment::write_word_data(std::uint8_t addr, std::uint8_t cmd, std::uint16_t value) {
    SpdEeprom* eeprom = device(addr);
    if (eeprom == nullptr || !eeprom->acknowledges(cmd, true)) return false;
    eeprom->write_byte(cmd, static_cast<std::uint8_t>(value));
    eeprom->write_byte(static_cast<std::uint8_t>(cmd + 1), static_cast<std::uint8_t>(value >> 8));
    eeprom->written();
    return true;
}

}  // namespace ynvex::sim
