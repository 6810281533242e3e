#include "app/Uutf8.h"

#include <gtest/gtest.h>

#include <string>

namespace ynvex {
namespace {

TEST(AnsiToUtf8, MapsAsciiToItselfAndTheStoredPairToU2019) {
    struct Case {
        std::string ansi;
        std::string utf8;
    };
    for (const Case& c : {
             Case{"", ""},
             Case{"Micron Technology", "Micron Technology"},
             Case{"line\n\tend \x7F\x01", "line\n\tend \x7F\x01"},
             // The maker name and row texts that hold the pair.
             Case{"Manufacturer\x81\x66s JEDEC ID", "Manufacturer\xE2\x80\x99s JEDEC ID"},
             Case{"\x81\x66\x81\x66", "\xE2\x80\x99\xE2\x80\x99"},
             Case{"a\x81\x66", "a\xE2\x80\x99"},
             // Only the pair counts: a lone 0x81, 0x81 before anything but
             // 'f', and other high bytes never pass through as invalid UTF-8.
             Case{"x\x81", "x\xEF\xBF\xBD"},
             Case{"\x81\x46", "\xEF\xBF\xBD\x46"},
             Case{"\x81\x81\x66", "\xEF\xBF\xBD\xE2\x80\x99"},
             Case{"\xE9\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
         }) {
        EXPECT_EQ(AnsiToUtf8(c.ansi), c.utf8) << c.ansi;
    }
}

}  // namespace
}  // namespace ynvex
