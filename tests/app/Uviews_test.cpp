#include "app/Uviews.h"

#include <gtest/gtest.h>

#include <string>

namespace ynvex {
namespace {

// A reader whose rows say which row they are, so that order and omissions show.
void FillRows(TSPD& spd, bool withRow44) {
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        spd.Row[i]->Description = "Description " + std::to_string(i);
        spd.Row[i]->Status = "Status " + std::to_string(i);
    }
    if (!withRow44) spd.Row[44]->Description.clear();
}

TEST(ShowHexDump, FirstLineOfAnSdramImage) {
    SpdImage image{};
    image[0] = 0x80;
    image[1] = 0x08;
    image[2] = 0x04;
    const HexDumpView view = ShowHexDump(image);
    EXPECT_EQ(view[0].offset, "  0000");
    EXPECT_EQ(view[0].bytes, "80 08 04 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
    EXPECT_EQ(view[0].chars, "................");
}

TEST(ShowHexDump, EightLinesWithTheirOffsetsAndBytes) {
    SpdImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 3);
    const HexDumpView view = ShowHexDump(image);
    const char* const offsets[] = {"  0000", "  0010", "  0020", "  0030",
                                   "  0040", "  0050", "  0060", "  0070"};
    for (std::size_t line = 0; line < kHexDumpLines; ++line) {
        SCOPED_TRACE(line);
        EXPECT_EQ(view[line].offset, offsets[line]);
        ASSERT_EQ(view[line].bytes.size(), 48u);
        ASSERT_EQ(view[line].chars.size(), 16u);
    }
    // Line 7 ends with byte 127: 127 * 3 = 381 = 0x17D, so 0x7D; upper case.
    EXPECT_EQ(view[7].bytes, "50 53 56 59 5C 5F 62 65 68 6B 6E 71 74 77 7A 7D ");
    EXPECT_EQ(view[7].chars, "PSVY\\_behknqtwz}");
    // Bytes 128 to 255 never appear.
    EXPECT_EQ(view[5].bytes.substr(0, 6), "F0 F3 ");
}

TEST(ShowHexDump, CharacterColumnKeepsOnlyPrintableAscii) {
    struct Case {
        std::uint8_t byte;
        char shown;
    };
    const Case cases[] = {{0x00, '.'}, {0x1F, '.'}, {0x20, ' '}, {0x41, 'A'}, {0x7E, '~'},
                          {0x7F, '.'}, {0x80, '.'}, {0x81, '.'}, {0xFF, '.'}};
    SpdImage image{};
    for (std::size_t i = 0; i < std::size(cases); ++i) image[16 + i] = cases[i].byte;
    const HexDumpView view = ShowHexDump(image);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(static_cast<int>(cases[i].byte));
        EXPECT_EQ(view[1].chars[i], cases[i].shown);
    }
    EXPECT_EQ(view[1].bytes.substr(0, 27), "00 1F 20 41 7E 7F 80 81 FF ");
}

TEST(ShowHexDump, EmptyImageIsEightLinesOfZeros) {
    const SpdImage image{};
    const HexDumpView view = ShowHexDump(image);
    std::string zeros;
    for (int i = 0; i < 16; ++i) zeros += "00 ";
    for (const auto& line : view) {
        EXPECT_EQ(line.bytes, zeros);
        EXPECT_EQ(line.chars, std::string(16, '.'));
    }
}

TEST(ShowDecoded, EmptyImageIsNotAvailableWhateverTheRowsHold) {
    TSPD spd;
    FillRows(spd, true);  // left over from an earlier read
    SpdImage image{};
    image[1] = 0x08;  // only byte 0 decides
    image[2] = 0x04;
    const DecodedView view = ShowDecoded(spd, 3, image);
    ASSERT_EQ(view.size(), 1u);
    EXPECT_EQ(view[0].description, "Not Available.");
    EXPECT_EQ(view[0].status, "");
    // The hex dump still shows the bytes as read.
    EXPECT_EQ(ShowHexDump(image)[0].bytes.substr(0, 9), "00 08 04 ");
}

TEST(ShowDecoded, Rows44And45OnlyWhenRow44HasADescription) {
    SpdImage image{};
    image[0] = 0x80;
    for (const bool withRow44 : {false, true}) {
        SCOPED_TRACE(withRow44);
        TSPD spd;
        FillRows(spd, withRow44);
        const DecodedView view = ShowDecoded(spd, 0, image);
        ASSERT_EQ(view.size(), withRow44 ? 46u : 44u);
        EXPECT_EQ(ShownRowCount(spd), view.size());
        for (std::size_t i = 0; i < view.size(); ++i) {
            EXPECT_EQ(view[i].description, "Description " + std::to_string(i));
            EXPECT_EQ(view[i].status, "Status " + std::to_string(i));
        }
    }
}

TEST(ShowDecoded, TextsPassThroughByteForByte) {
    SpdImage image{};
    image[0] = 0x80;
    TSPD spd;
    spd.Row[0]->Description = "  leading and trailing  ";
    spd.Row[43]->Status = "c\x81\x66t Magazine \xFF";
    const DecodedView view = ShowDecoded(spd, 0, image);
    ASSERT_EQ(view.size(), 44u);
    EXPECT_EQ(view[0].description, "  leading and trailing  ");
    EXPECT_EQ(view[43].status, "c\x81\x66t Magazine \xFF");
    EXPECT_EQ(view[1].description, "");
}

}  // namespace
}  // namespace ynvex
