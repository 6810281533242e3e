// The product word and version that the window's caption label and the text
// report both show.
#pragma once

#include <string>

namespace ynvex {

inline const std::string strVersion = "Ver.0.5.4.0";
// Two blanks between the product word and the version.
inline const std::string strProductVersion = "Ynvex  " + strVersion;

}  // namespace ynvex
