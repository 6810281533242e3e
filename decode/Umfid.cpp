#include "decode/Umfid.h"

namespace ynvex {

namespace {

constexpr std::uint8_t kContinuation = 0x7F;
constexpr int kCodeBytes = 8;

}  // namespace

void TMFID::Lookup(const std::uint8_t* code) {
    // An erased (0xFF) or blank (0x00) EEPROM holds no code at all.
    if (code[0] == 0x00 || code[0] == 0xFF) return;

    int k = 0;
    while (k < kCodeBytes && code[k] == kContinuation) ++k;
    // Only four banks are known; a fifth or later one (or eight continuation
    // codes with no maker's code after them) cannot be placed.
    if (k >= kMfidBanks) return;
    if (code[k] == 0x00) return;

    bank = k + 1;
    // Module makers do not always get the parity bit right, so it is dropped
    // rather than checked.
    number = code[k] & 0x7F;

    // Number 0 (the byte 0x80) is a code JEP106 never assigns: it is placed in
    // its bank like any other code, but no name belongs to it, so it keeps
    // "Unknown", the same as a number the table has no name for.
    if (number == 0) return;
    const char* found = strMfid[static_cast<std::size_t>((bank - 1) * kMfidPerBank + (number - 1))];
    if (found != nullptr) name = found;
}

}  // namespace ynvex
