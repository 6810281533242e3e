// The SMBus wire as a host controller model sees it, and the devices on it.
//
// A host controller model turns a started transaction into one call on its
// SmbusTarget and maps the outcome to its own status flags. An address that
// nobody acknowledges returns no value (std::nullopt / false): the
// controller reports that with its family's error flag.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace ynvex::sim {

class SmbusTarget {
  public:
    virtual ~SmbusTarget() = default;
    // addr is the 7-bit address; cmd the command byte (an EEPROM offset).
    virtual std::optional<std::uint8_t> read_byte_data(std::uint8_t addr, std::uint8_t cmd) = 0;
    // The word's low byte is the first byte on the wire (offset cmd).
    virtual std::optional<std::uint16_t> read_word_data(std::uint8_t addr, std::uint8_t cmd) = 0;
    virtual bool write_byte_data(std::uint8_t addr, std::uint8_t cmd, std::uint8_t value) = 0;
    virtual bool write_word_data(std::uint8_t addr, std::uint8_t cmd, std::uint16_t value) = 0;
};

// A 24C02-type SPD EEPROM: 256 bytes, an address pointer that advances with
// every byte and wraps at 256.
class SpdEeprom {
  public:
    SpdEeprom() { bytes.fill(0xFF); }
    explicit SpdEeprom(const std::array<std::uint8_t, 256>& contents) : bytes(contents) {}

    // Loads a raw dump (at most 256 bytes are taken; the rest stays 0xFF).
    // Returns false, leaving the contents alone, when the file cannot be read
    // or is empty.
    bool load(const std::string& path);

    std::uint8_t read_byte(std::uint8_t offset) const { return bytes[offset]; }
    void write_byte(std::uint8_t offset, std::uint8_t value) { bytes[offset] = value; }

    // The bus side. After a write the part runs its internal write cycle
    // (about 5 ms, up to 20) and acknowledges nothing until it is over; the
    // model counts that time in transactions addressed to it. Reads of a
    // failing offset are never acknowledged.
    bool acknowledges(std::uint8_t offset, bool write);
    void written() { write_cycle_left_ = write_cycle_transactions; }

    std::array<std::uint8_t, 256> bytes{};
    // Transactions NACKed after each write (0: the cycle is over before the
    // next one arrives).
    unsigned write_cycle_transactions = 0;
    // Offsets whose reads fail, as a cell that has gone bad; the probe of
    // offset 0 still works unless 0 is among them.
    std::set<std::uint8_t> failing_offsets;

  private:
    unsigned write_cycle_left_ = 0;
};

// One SMBus segment: the devices at their addresses. Everything else NACKs.
class SmbusSegment final : public SmbusTarget {
  public:
    // Puts an EEPROM at a 7-bit address (replacing any there); returns it.
    SpdEeprom& attach(std::uint8_t addr, std::shared_ptr<SpdEeprom> eeprom);
    SpdEeprom& attach(std::uint8_t addr) { return attach(addr, std::make_shared<SpdEeprom>()); }
    void detach(std::uint8_t addr) { devices_.erase(addr); }
    SpdEeprom* device(std::uint8_t addr) const;

    std::optional<std::uint8_t> read_byte_data(std::uint8_t addr, std::uint8_t cmd) override;
    std::optional<std::uint16_t> read_word_data(std::uint8_t addr, std::uint8_t cmd) override;
    bool write_byte_data(std::uint8_t addr, std::uint8_t cmd, std::uint8_t value) override;
    bool write_word_data(std::uint8_t addr, std::uint8_t cmd, std::uint16_t value) override;

  private:
    std::map<std::uint8_t, std::shared_ptr<SpdEeprom>> devices_;
};

}  // namespace ynvex::sim
