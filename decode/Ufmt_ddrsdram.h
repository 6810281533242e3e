// The DDR SDRAM decoder: the row texts and the decoded values of an SPD image
// whose memory type (byte 2) is 7.
#pragma once

#include "spd/Uspd.h"

namespace ynvex {

// Sets the Description of all 46 rows; rows 44 and 45 get the empty text,
// which tells the views and the report to leave them out.
void DDRfmt_desc(TSPD& spd);

// Sets the Status of rows 0 to 43 from image bytes 0 to 125; rows 44 and 45
// keep what they held. Fixed-point numbers use decimal_separator, which the
// caller takes from the user's regional settings (TSPD::DecimalSeparator).
void DDRfmt_decode(TSPD& spd, const SpdImage& image, char decimal_separator = '.');

}  // namespace ynvex
