#include "spd/Uspd.h"

namespace ynvex {

TSPD::TSPD() {
    for (auto& row : Row) row = std::make_unique<TSPDF>();
}

}  // namespace ynvex
