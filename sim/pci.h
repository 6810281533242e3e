// A PCI function of the simulated mainboard: 256 bytes of configuration space
// with the bits that real chips keep read-only.
#pragma once

#include <array>
#include <cstdint>

namespace ynvex::sim {

// Standard configuration header offsets.
inline constexpr std::uint8_t kCfgVendorId = 0x00;
inline constexpr std::uint8_t kCfgDeviceId = 0x02;
inline constexpr std::uint8_t kCfgCommand = 0x04;
inline constexpr std::uint8_t kCfgRevision = 0x08;
inline constexpr std::uint8_t kCfgClassCode = 0x09;
inline constexpr std::uint8_t kCfgHeaderType = 0x0E;
inline constexpr std::uint8_t kHeaderMultiFunction = 0x80;

class PciFunction {
  public:
    // id_key: device ID in bits 31..16, vendor ID in bits 15..0.
    explicit PciFunction(std::uint32_t id_key, std::uint8_t revision = 0);
    virtual ~PciFunction() = default;
    PciFunction(const PciFunction&) = delete;
    PciFunction& operator=(const PciFunction&) = delete;

    // What the bus sees. A byte write keeps the bits the chip holds
    // read-only. Subclasses add side effects of their registers.
    virtual std::uint8_t config_read(std::uint8_t offset);
    virtual void config_write(std::uint8_t offset, std::uint8_t value);

    // A hidden function does not answer on the bus (master abort).
    bool hidden() const { return hidden_; }
    void set_hidden(bool hidden) { hidden_ = hidden; }

    // Board set-up and inspection, past the read-only rules (little-endian).
    void poke8(std::uint8_t offset, std::uint8_t value) { space_[offset] = value; }
    void poke16(std::uint8_t offset, std::uint16_t value);
    void poke32(std::uint8_t offset, std::uint32_t value);
    std::uint8_t peek8(std::uint8_t offset) const { return space_[offset]; }
    std::uint16_t peek16(std::uint8_t offset) const;
    std::uint32_t peek32(std::uint8_t offset) const;

    // Which bits of a byte software may change (1 = writable).
    void set_write_mask(std::uint8_t offset, std::uint8_t mask) { write_mask_[offset] = mask; }
    // An I/O base-address register of the given size (a power of two of at
    // least 4): bit 0 reads 1, the bits below the size read 0.
    void make_io_bar(std::uint8_t offset, std::uint32_t base, std::uint32_t size);

    std::uint32_t id_key() const { return peek32(kCfgVendorId); }

  private:
    std::array<std::uint8_t, 256> space_{};
    std::array<std::uint8_t, 256> write_mask_{};
    bool hidden_ = false;
};

}  // namespace ynvex::sim
