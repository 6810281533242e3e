#include "spd/Uspd.h"

#include <algorithm>

#include "decode/Ufmt_ddrsdram.h"
#include "decode/Ufmt_sdram.h"
#include "hw/Uasms.h"
#include "hw/Usmbus.h"
#include "spd/Uspdstr.h"

namespace ynvex {

// clang-format off
const AsmsTable kAsmsTable = {
    //  PIIX4       PIIX4E      ICH         ICH0        ICH2        VT8233
    //  VT82C686A   VT82C686B   VT82C596B   VT82C596B   SiS 630     ALi M1535D+
    .key    = {0x71138086, 0x71938086, 0x24138086, 0x24238086, 0x24438086, 0x82311106,
               0x30571106, 0x30D71106, 0x30501106, 0x30511106, 0x06301039, 0x710110B9},
    .setter = {0, 0, 1, 1, 1, 1,
               2, 2, 3, 3, 4, 5},
    .arg    = {0xE437, 0xE437, 0x2E, 0x2E, 0x2E, 0x2E,
               0xE44D, 0xE44D, 0xE44D, 0xE44D, 0x3A, 0x800088B8},
    .keep   = {0xE7, 0xE7, 0xE7, 0xE7, 0xE7, 0xE7,
               0xF6, 0xF6, 0xBF, 0xBF, 0xFF6F, 0x9F},
    .mask   = {0x03, 0x03, 0x03, 0x03, 0x03, 0x03,
               0x09, 0x09, 0x40, 0x40, 0x90, 0x60},
    .on     = {0x01, 0x01, 0x02, 0x02, 0x02, 0x02,
               0x01, 0x01, 0x40, 0x40, 0x10, 0x40},
    .off    = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
               0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};
// clang-format on

TSPD::TSPD() {
    for (auto& row : Row) row = std::make_unique<TSPDF>();
}

void TSPD::ASMSselect(std::uint32_t key, std::uint32_t base, std::uint32_t on) {
    const AsmsTable& t = kAsmsTable;
    for (std::size_t r = 0; r < kAsmsRows; ++r) {
        if (t.key[r] != key) continue;
        const std::uint32_t value = (on & 0xFF) != 0 ? t.on[r] : t.off[r];
        switch (t.setter[r]) {
            case 0:
                ASMS1set(t.arg[r], t.keep[r], t.mask[r], value);
                break;
            case 1:
                ASMS2set(t.arg[r], t.keep[r], t.mask[r], value);
                break;
            case 2:
                ASMS3set(t.arg[r], t.keep[r], t.mask[r], value);
                break;
            case 3:
                ASMS4set(t.arg[r], t.keep[r], t.mask[r], value);
                break;
            case 4:
                ASMS5set(base, t.arg[r], t.keep[r], t.mask[r], value);
                break;
            case 5:
                ASMS6set(t.arg[r], t.keep[r], t.mask[r], value);
                break;
            default:
                break;
        }
        return;
    }
}

void TSPD::ReadSlot(bool asus, std::uint32_t key, std::uint32_t base, int slot, SpdImage& image) {
    const auto address = kSpdFirstAddress + static_cast<std::uint32_t>(slot);
    // Every byte is one read-byte-data transaction; on an ASUS board the
    // switch is turned to the sockets for it and back right after, so the
    // devices it normally connects keep their bus.
    auto read_byte = [&](std::uint32_t offset) {
        if (asus) ASMSselect(key, base, 1);
        const std::uint32_t value = SMBrdb(key, base, address, offset);
        if (asus) ASMSselect(key, base, 0);
        return value;
    };

    // A slot number outside 0..7 would address some other device on the bus.
    const bool readable = base != kSpdNoBase && slot >= 0 && slot < kSpdSlots;
    if (!readable || read_byte(0) == kSMBfailed) {
        std::fill_n(image.begin(), kSpdBytesUsed, std::uint8_t{0});
    } else {
        for (std::uint32_t offset = 0; offset < kSpdBytesUsed; ++offset) {
            image[offset] = static_cast<std::uint8_t>(read_byte(offset));
        }
    }
    if (SpdPresent(image)) Decode(image);
}

void TSPD::Decode(const SpdImage& image) {
    if (image[2] == kMemTypeDdrSdram) {
        DDRfmt_desc(*this);
        DDRfmt_decode(*this, image, DecimalSeparator);
    } else {
        SDRAMfmt_desc(*this);
        SDRAMfmt_decode(*this, image);
    }
}

}  // namespace ynvex
