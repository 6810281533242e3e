#include "app/Uutf8.h"

namespace ynvex {

std::string AnsiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (text.substr(i).starts_with(kStoredApostrophe)) {
            out += kUtf8RightSingleQuote;
            ++i;
        } else {
            out += kUtf8Replacement;
        }
    }
    return out;
}

}  // namespace ynvex
