#include "decode/Ufmt_common.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace ynvex {
namespace {

TEST(FmtCommon, NumberFormats) {
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(16065), "16065");
    EXPECT_EQ(Decimal(-2147483648LL), "-2147483648");
    // Hex pads to at least its width and never cuts a wider value.
    EXPECT_EQ(Hex2(0x0), "00");
    EXPECT_EQ(Hex2(0xA), "0A");
    EXPECT_EQ(Hex2(0xFF), "FF");
    EXPECT_EQ(Hex2(0x3EC1), "3EC1");
    EXPECT_EQ(Hex4(0x0), "0000");
    EXPECT_EQ(Hex4(0xA7A), "0A7A");
    EXPECT_EQ(Hex4(0xABCDE), "ABCDE");
}

TEST(FmtCommon, ShownCharactersAreOnePerByte) {
    EXPECT_EQ(ShownChar(0x1F), ' ');
    EXPECT_EQ(ShownChar(0x20), ' ');
    EXPECT_EQ(ShownChar(0x21), '!');
    EXPECT_EQ(ShownChar(0x7E), '~');
    EXPECT_EQ(ShownChar(0x7F), ' ');
    EXPECT_EQ(ShownChar(0x81), ' ');
    EXPECT_EQ(ShownChar(0xFF), ' ');
    EXPECT_EQ(ShownChar(0x00), ' ');
}

// A field that would run past byte 127 stops there: bytes 128 to 255 are
// never part of a row.
TEST(FmtCommon, FieldsStopAtByte127) {
    SpdImage image{};
    image.fill('Z');
    image[126] = 'A';
    image[127] = 0x01;
    EXPECT_EQ(ShownChars(image, 126, 4), "A ");
    EXPECT_EQ(HexBytes(image, 126, 4), "4101");
}

TEST(FmtCommon, TablesOfCodesAndBits) {
    constexpr std::array<CodeText, 2> codes = {{{0, "zero"}, {255, "all ones"}}};
    EXPECT_EQ(TextForCode(codes, 0), "zero");
    EXPECT_EQ(TextForCode(codes, 255), "all ones");
    EXPECT_EQ(TextForCode(codes, 1), "TBD");
    EXPECT_EQ(TextForCode(codes, 1, strNA), "N/A");

    // Texts come in table order, not bit order.
    constexpr std::array<BitText, 3> bits = {{{7, "seven "}, {0, "zero "}, {3, "three "}}};
    EXPECT_EQ(SetBitTexts(0x89, bits), "seven zero three ");
    EXPECT_EQ(SetBitTexts(0x76, bits), "");
}

TEST(FmtCommon, LatencyListFromTheTopBitDown) {
    auto halves = [](int bit) { return Decimal(bit) + "/2"; };
    EXPECT_EQ(LatencyListText("L = ", 0x00, 3, halves), "None");
    EXPECT_EQ(LatencyListText("L = ", 0x0A, 3, halves), "L = 3/2, 1/2, Supported");
    // Bits above the top bit are not listed, but the list is still written.
    EXPECT_EQ(LatencyListText("L = ", 0x40, 3, halves), "L = Supported");
}

TEST(FmtCommon, ChecksumSumIsWideEnoughForAllOnes) {
    SpdImage image{};
    image.fill(0xFF);
    EXPECT_EQ(ChecksumSum(image), 63u * 255u);
}

}  // namespace
}  // namespace ynvex
