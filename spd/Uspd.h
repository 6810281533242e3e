// The SPD reader: the 46 decoded rows of one module, and the read cycle that
// fills an SPD image from a DIMM slot and hands it to the matching decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "spd/Uspdf.h"

namespace ynvex {

inline constexpr std::size_t kSpdImageSize = 256;
// Bytes 0 to 127 are read and decoded; 128 to 255 are never touched.
inline constexpr std::size_t kSpdBytesUsed = 128;
using SpdImage = std::array<std::uint8_t, kSpdImageSize>;

inline constexpr std::size_t kSpdRows = 46;

inline constexpr int kSpdSlots = 8;
// Slot n's SPD EEPROM answers at SMBus address 0x50 + n.
inline constexpr std::uint32_t kSpdFirstAddress = 0x50;
// The I/O base of a controller record that found no controller.
inline constexpr std::uint32_t kSpdNoBase = 0xFFFFFFFF;

// The ASUS multiplexer table: which setter switches the multiplexer for a
// controller, and with what. Seven columns of 12 values, one row per ID key.
inline constexpr std::size_t kAsmsRows = 12;
struct AsmsTable {
    std::array<std::uint32_t, kAsmsRows> key;     // controller ID key
    std::array<std::uint32_t, kAsmsRows> setter;  // 0 to 5: ASMS1set to ASMS6set
    std::array<std::uint32_t, kAsmsRows> arg;     // port, index port, base offset or config address
    std::array<std::uint32_t, kAsmsRows> keep;    // bits of the old value that survive
    std::array<std::uint32_t, kAsmsRows> mask;    // bits of the new value that count
    std::array<std::uint32_t, kAsmsRows> on;      // value that connects the DIMM sockets
    std::array<std::uint32_t, kAsmsRows> off;     // value that disconnects them
};
extern const AsmsTable kAsmsTable;

// An image whose byte 0 is 0 counts as empty: not decoded, not reported.
inline bool SpdPresent(const SpdImage& image) {
    return image[0] != 0;
}

class TSPD {
  public:
    TSPD();

    // Switches the board's SMBus multiplexer towards the DIMM sockets (on) or
    // away from them; only the low 8 bits of on count. A controller key
    // without a multiplexer row touches no hardware. base is the controller's
    // I/O base, used only by the SiS 630 row.
    void ASMSselect(std::uint32_t key, std::uint32_t base, std::uint32_t on);

    // Reads the 128 SPD bytes of DIMM slot 0..7 (SMBus device 0x50 + slot)
    // into image bytes 0 to 127 through the controller with ID key `key` at
    // I/O base `base`, switching the multiplexer around every byte when
    // `asus` is set, and decodes a present image. Without a controller (base
    // all ones), for a slot outside 0..7 or when the probe of byte 0 fails,
    // the image is 128 zeros and the hardware is not touched beyond the
    // probe. A byte that fails after a good probe reads as 0xFF.
    void ReadSlot(bool asus, std::uint32_t key, std::uint32_t base, int slot, SpdImage& image);
    // Fills the rows from image bytes 0 to 127 with the decoder that byte 2
    // calls for: DDR SDRAM for 7, the SDRAM layout for every other value.
    void Decode(const SpdImage& image);

    // The rows in display order; each its own object, owned by the reader.
    std::array<std::unique_ptr<TSPDF>, kSpdRows> Row;

    // The decimal separator for the DDR SDRAM decoder's fixed-point numbers;
    // the caller sets it from the user's regional settings.
    char DecimalSeparator = '.';
};

}  // namespace ynvex
