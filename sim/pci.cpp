#include "sim/pci.h"

namespace ynvex::sim {

PciFunction::PciFunction(std::uint32_t id_key, std::uint8_t revision) {
    write_mask_.fill(0xFF);
    poke32(kCfgVendorId, id_key);
    poke8(kCfgRevision, revision);
    // Identification, revision, class code and header type are read-only.
    for (std::uint8_t offset : {0x00, 0x01, 0x02, 0x03, 0x08, 0x09, 0x0A, 0x0B, 0x0E}) {
        write_mask_[offset] = 0x00;
    }
}

std::uint8_t PciFunction::config_read(std::uint8_t offset) {
    return space_[offset];
}

void PciFunction::config_write(std::uint8_t offset, std::uint8_t value) {
    const std::uint8_t mask = write_mask_[offset];
    space_[offset] = static_cast<std::uint8_t>((space_[offset] & ~mask) | (value & mask));
}

void PciFunction::poke16(std::uint8_t offset, std::uint16_t value) {
    for (int i = 0; i < 2; ++i) {
        space_[static_cast<std::uint8_t>(offset + i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void PciFunction::poke32(std::uint8_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        space_[static_cast<std::uint8_t>(offset + i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint16_t PciFunction::peek16(std::uint8_t offset) const {
    return static_cast<std::uint16_t>(space_[offset] | space_[static_cast<std::uint8_t>(offset + 1)]
                                                           << 8);
}

std::uint32_t PciFunction::peek32(std::uint8_t offset) const {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = value << 8 | space_[static_cast<std::uint8_t>(offset + i)];
    }
    return value;
}

void PciFunction::make_io_bar(std::uint8_t offset, std::uint32_t base, std::uint32_t size) {
    const std::uint32_t address_mask = ~(size - 1) & 0xFFFF;
    poke32(offset, (base & address_mask) | 0x1);
    for (int i = 0; i < 4; ++i) {
        auto byte_mask = static_cast<std::uint8_t>(address_mask >> (8 * i));
        set_write_mask(static_cast<std::uint8_t>(offset + i), byte_mask);
    }
}

}  // namespace ynvex::sim
