// The plain-text report of a slot, as the clipboard and the command-line
// program get it: a title, the hex dump of the 128 SPD bytes and the decoded
// rows. 8-bit text exactly as stored, upper-case hex digits, every line ended
// by a single line feed.
#pragma once

#include <string>

#include "spd/Uspd.h"

namespace ynvex {

// The report of one slot, or the empty text when the image is empty (byte 0
// is 0): an empty slot leaves no trace in a joined report.
std::string MakeReport(const TSPD& spd, int slot, const SpdImage& image);

}  // namespace ynvex
