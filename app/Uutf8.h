// Unicode output of the program's 8-bit texts, for front-ends that show or
// export UTF-8 (a UTF-8 terminal, JSON, Qt).
//
// The texts hold printable ASCII plus one stored pair, 0x81 0x66, that stands
// for a right single quotation mark (U+2019). ASCII, control characters
// included, maps to itself and the pair to U+2019. No other byte above 0x7E
// is ever produced by the decoders; should one turn up, it becomes U+FFFD
// rather than a guess at a code page, so the result is always valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace ynvex {

inline constexpr std::string_view kStoredApostrophe = "\x81\x66";
inline constexpr std::string_view kUtf8RightSingleQuote = "\xE2\x80\x99";
inline constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

std::string AnsiToUtf8(std::string_view text);

}  // namespace ynvex
