// The SDRAM decoder: the 46 rows of an SPD image read by the JEDEC SDRAM
// layout (bytes 0 to 35 and 62 to 98), the maker's own bytes 99 to 125, and
// Intel's definitions of bytes 126 and 127 for 66 and 100 MHz modules. Every
// memory type other than DDR SDRAM is shown with this layout.
#pragma once

#include "spd/Uspd.h"

namespace ynvex {

// Sets the Description of rows 0 to 45; leaves every Status alone.
void SDRAMfmt_desc(TSPD& spd);

// Sets the Status of rows 0 to 45, in row order, each built afresh from the
// image so that a reader serving several reads keeps nothing of an earlier
// one. Reads image bytes 0 to 127 only; every byte value has a text.
void SDRAMfmt_decode(TSPD& spd, const SpdImage& image);

}  // namespace ynvex
