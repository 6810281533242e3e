#include "decode/Umfid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace ynvex {
namespace {

struct LookupCase {
    std::vector<std::uint8_t> code;  // padded to 8 bytes with `fill`
    std::uint8_t fill;
    std::int32_t bank;
    std::int32_t number;
    std::string name;
};

TMFID Looked(const LookupCase& c) {
    std::uint8_t bytes[8];
    std::memset(bytes, c.fill, sizeof bytes);
    std::memcpy(bytes, c.code.data(), c.code.size());
    TMFID id;
    id.Lookup(bytes);
    return id;
}

TEST(TMFID, CreatedUnidentified) {
    TMFID id;
    EXPECT_EQ(id.bank, -1);
    EXPECT_EQ(id.number, -1);
    EXPECT_EQ(id.name, "Unknown");
}

TEST(TMFID, LookupPlacesAndNamesCodes) {
    const LookupCase cases[] = {
        {{0x2C}, 0x00, 1, 44, "Micron Technology"},
        {{0xAD}, 0x00, 1, 45, "Hyundai Electronics"},  // parity bit set
        {{0xCE}, 0x00, 1, 78, "Samsung"},
        {{0x98}, 0x00, 1, 24, "Toshiba"},
        {{0xC1}, 0x00, 1, 65, "Infineon (formerly Siemens)"},
        // The parity bit is never checked: a wrong one gives the same maker.
        {{0xAC}, 0x00, 1, 44, "Micron Technology"},
        {{0x2D}, 0x00, 1, 45, "Hyundai Electronics"},
        {{0x7F, 0x98}, 0x00, 2, 24, "Kingston"},
        {{0x7F, 0x7F, 0xFE}, 0x00, 3, 126, "Elpida"},
        {{0x7F, 0x7F, 0x7F, 0x0B}, 0x00, 4, 11, "Nanya Technology"},
        // Bytes after the maker's code are not looked at.
        {{0x7F, 0x7F, 0x7F, 0x0B}, 0xFF, 4, 11, "Nanya Technology"},
        {{0x7F, 0x7F, 0x7F, 0x0B}, 0x7F, 4, 11, "Nanya Technology"},
        {{0x7F, 0x7C}, 0x00, 2, 124, "FOXCONN "},
        {{0x7F, 0x7F, 0x7F, 0x01}, 0x00, 4, 1, "Solectron"},
        {{0x7F, 0x7F, 0x7F, 0xC8}, 0x00, 4, 72, "Infrant Technologies"},
    };
    for (const auto& c : cases) {
        const TMFID id = Looked(c);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(id.bank, c.bank);
        EXPECT_EQ(id.number, c.number);
        EXPECT_EQ(id.name, c.name);
    }
}

TEST(TMFID, NumbersWithoutNameKeepUnknownButArePlaced) {
    const LookupCase cases[] = {
        {{0x7F, 0x7F, 0x7F, 0x64}, 0x00, 4, 100, "Unknown"},
        {{0x7F, 0x7F, 0x7F, 0x49}, 0x00, 4, 73, "Unknown"},  // first past bank 4's end
        {{0x7F, 0xFF}, 0x00, 2, 127, "Unknown"},
        {{0x7F, 0x7F, 0x7F, 0xFF}, 0x00, 4, 127, "Unknown"},
        // Number 0 (0x80) is never assigned: placed in its bank, no name.
        {{0x80}, 0x00, 1, 0, "Unknown"},
        {{0x7F, 0x80}, 0x2C, 2, 0, "Unknown"},
        {{0x7F, 0x7F, 0x7F, 0x80}, 0x00, 4, 0, "Unknown"},
    };
    for (const auto& c : cases) {
        const TMFID id = Looked(c);
        SCOPED_TRACE(testing::Message() << c.bank << "/" << c.number);
        EXPECT_EQ(id.bank, c.bank);
        EXPECT_EQ(id.number, c.number);
        EXPECT_EQ(id.name, c.name);
    }
}

TEST(TMFID, CodesThatAreNotIdentifiedChangeNothing) {
    const LookupCase cases[] = {
        {{0x7F, 0x7F, 0x7F, 0x7F, 0x0B}, 0x00, -1, -1, "four continuation codes"},
        {{0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F},
         0x7F,
         -1,
         -1,
         "eight continuation codes"},
        {{0x00, 0x2C}, 0x2C, -1, -1, "first byte 0x00"},
        {{0xFF, 0x2C}, 0x2C, -1, -1, "first byte 0xFF"},
        {{0xFF}, 0xFF, -1, -1, "erased EEPROM"},
        {{0x7F, 0x00, 0x2C}, 0x00, -1, -1, "7F 00"},
        {{0x7F, 0x7F, 0x7F, 0x00, 0x0B}, 0x00, -1, -1, "7F 7F 7F 00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Start from a filled-in object so that "changes nothing" can show.
        std::uint8_t bytes[8];
        std::memset(bytes, c.fill, sizeof bytes);
        std::memcpy(bytes, c.code.data(), c.code.size());
        TMFID id;
        id.bank = 9;
        id.number = 99;
        id.name = "before";
        id.Lookup(bytes);
        EXPECT_EQ(id.bank, 9);
        EXPECT_EQ(id.number, 99);
        EXPECT_EQ(id.name, "before");

        TMFID fresh;
        fresh.Lookup(bytes);
        EXPECT_EQ(fresh.bank, -1);
        EXPECT_EQ(fresh.number, -1);
        EXPECT_EQ(fresh.name, "Unknown");
    }
}

const char* Entry(int bank, int number) {
    return strMfid.at(static_cast<std::size_t>((bank - 1) * kMfidPerBank + (number - 1)));
}

TEST(MfidTable, HoldsExactly450NamesWhereTheyBelong) {
    ASSERT_EQ(strMfid.size(), 508u);
    int named = 0;
    for (int bank = 1; bank <= kMfidBanks; ++bank) {
        const int last = bank == 4 ? 72 : 126;
        for (int number = 1; number <= kMfidPerBank; ++number) {
            const char* name = Entry(bank, number);
            SCOPED_TRACE(testing::Message() << bank << "/" << number);
            if (number <= last) {
                ASSERT_NE(name, nullptr);
                EXPECT_GT(std::strlen(name), 0u);
                ++named;
            } else {
                EXPECT_EQ(name, nullptr);
            }
        }
    }
    EXPECT_EQ(named, 450);
}

TEST(MfidTable, FirstAndLastNamesOfEachBank) {
    struct Spot {
        int bank, number;
        const char* name;
    };
    const Spot spots[] = {
        {1, 1, "AMD"},
        {1, 2, "AMI"},
        {1, 3, "Fairchild"},
        {1, 24, "Toshiba"},
        {1, 44, "Micron Technology"},
        {1, 45, "Hyundai Electronics"},
        {1, 65, "Infineon (formerly Siemens)"},
        {1, 78, "Samsung"},
        {1, 126, "Level One Communication"},
        {2, 1, "Cirrus Logic"},
        {2, 2, "National Instruments"},
        {2, 3, "ILC Data Device"},
        {2, 24, "Kingston"},
        {2, 126, "3COM"},
        {3, 1, "Camintonn Corporation"},
        {3, 2, "ISOA Incorporated"},
        {3, 3, "Agate Semiconductor"},
        {3, 126, "Elpida"},
        {4, 1, "Solectron"},
        {4, 2, "Optosys Technologies"},
        {4, 3, "Melco"},
        {4, 11, "Nanya Technology"},
        {4, 72, "Infrant Technologies"},
    };
    for (const auto& s : spots) {
        SCOPED_TRACE(testing::Message() << s.bank << "/" << s.number);
        ASSERT_NE(Entry(s.bank, s.number), nullptr);
        EXPECT_STREQ(Entry(s.bank, s.number), s.name);
    }
}

TEST(MfidTable, StoredQuirks) {
    // Bank 2 numbers 97 to 125 carry exactly one trailing blank; no other
    // name ends with a blank.
    for (int bank = 1; bank <= kMfidBanks; ++bank) {
        for (int number = 1; number <= kMfidPerBank; ++number) {
            const char* name = Entry(bank, number);
            if (name == nullptr) continue;
            const std::string text = name;
            SCOPED_TRACE(text);
            const bool blank = bank == 2 && number >= 97 && number <= 125;
            EXPECT_EQ(text.back() == ' ', blank);
            if (blank) {
                EXPECT_NE(text[text.size() - 2], ' ');
            }
        }
    }
    EXPECT_STREQ(Entry(2, 124), "FOXCONN ");
    EXPECT_STREQ(Entry(2, 97), "Wintec Industries ");
    EXPECT_STREQ(Entry(2, 96), "Truevision");

    const std::string magazine = Entry(4, 62);
    EXPECT_EQ(magazine, std::string("c\x81\x66") + "t Magazine");
    ASSERT_EQ(magazine.size(), 13u);
    EXPECT_EQ(static_cast<unsigned char>(magazine[1]), 0x81);
    EXPECT_EQ(static_cast<unsigned char>(magazine[2]), 0x66);
}

}  // namespace
}  // namespace ynvex
