// The plain-text report of a slot, as the clipboard and the command-line
// program get it: a title, the hex dump of the 128 SPD bytes and the decoded
// rows. 8-bit text exactly as stored, upper-case hex digits, every line ended
// by a single line feed.
#pragma once

#include <cstdint>
#include <string>

#include "spd/Uspd.h"

namespace ynvex {

// The report of one slot, or the empty text when the image is empty (byte 0
// is 0): an empty slot leaves no trace in a joined report.
std::string MakeReport(const TSPD& spd, int slot, const SpdImage& image);

// Reads DIMM slots 0 to 7 afresh, one reader and one image serving all of
// them, and joins the reports of the slots that hold a module, in slot order.
// asus, key and base are handed to TSPD::ReadSlot (the multiplexer switch, the
// controller's ID key and I/O base); decimalSeparator goes to the reader for
// the DDR SDRAM decoder. The empty text when no slot holds a module, which
// includes having no controller (base kSpdNoBase).
std::string SeekAllSlots(bool asus, std::uint32_t key, std::uint32_t base,
                         char decimalSeparator = '.');

}  // namespace ynvex
