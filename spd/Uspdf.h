// One decoded row of the SPD reader: a label and a value, both 8-bit texts
// kept exactly as stored.
#pragma once

#include <string>

namespace ynvex {

class TSPDF {
  public:
    std::string Description;  // the row's label, set by a decoder's row-text operation
    std::string Status;       // the row's value, set by a decoder's decode operation
};

}  // namespace ynvex
