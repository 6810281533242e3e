// Finding the SMBus host controller on PCI bus 0: its place, its identity
// (the ID key the SMBus routines and the multiplexer choose their behaviour
// by), its I/O base and its display name.
//
// The controller table keeps the keys and names this program has always
// used. Three of its keys are substitutes rather than real device IDs: a
// PIIX4 of revision 2 or 3 (the PIIX4E/M), an ICH2 beside the mobile 0x244C
// LPC bridge and a VT82C686 with revision bit 6 set are reported under the
// key of another row (PIIX4E, ICH2-M, VT82C686B), so that the SMBus dispatch and the
// multiplexer table can tell them apart.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ynvex {

// What detection has to do beyond reading the base register of a row.
enum class PmdRule {
    None,
    Sis5595,    // accepted only at function 0 beside its 0x0009 partner at function 1
    Sis630,     // the host bridge; the ACPI base lives in device 1's register 0x74
    AliM7101,   // the base is the word at 0xE2, the high word of dword 0xE0
    Piix4,      // revision bit 1: a PIIX4E/M, reported under the next row
    Ich2,       // beside the 0x244C LPC bridge: an ICH2-M, reported under the ICH2-M row
    Vt82c686a,  // revision bit 6: a VT82C686B, reported under the next row
};

struct PmdController {
    std::uint32_t key;       // ID key: device ID << 16 | vendor ID
    std::uint32_t base_reg;  // configuration register holding the I/O base
    const char* name;        // display name, exactly as shown
    PmdRule rule;
};

inline constexpr std::size_t kPmdControllers = 20;

// The known controllers, in the order a function is compared with them.
const std::array<PmdController, kPmdControllers>& PMDcontrollers();

// The Intel LPC bridges (00:1F.0) whose function-disable word at 0xF2 may hide
// the SMBus function 00:1F.3.
inline constexpr std::array<std::uint32_t, 5> kPmdLpcBridges = {
    0x24108086, 0x24208086, 0x24408086, 0x244C8086, 0x248C8086,
};

inline constexpr std::uint32_t kPmdNoKey = 0xFFFFFFFF;

// The controller identity record.
class TPMD {
  public:
    std::int32_t dev = -1;          // PCI device on bus 0, 0 to 31
    std::int32_t func = -1;         // PCI function, 0 to 7
    std::uint32_t did = kPmdNoKey;  // ID key, possibly a substitute key
    std::int32_t rid = -1;          // revision ID of the matched function
    std::int32_t bad = -1;          // I/O base handed to the SMBus routines; -1: none
    std::string name;               // display name; "Unknown" when nothing was found

    // Makes a hidden ICH SMBus function visible again. Run before Detect.
    void Unhide();
    // Scans bus 0 and fills all six fields.
    void Detect();
};

}  // namespace ynvex
