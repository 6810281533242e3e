#include "decode/Ufmt_sdram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "spd/Uspd.h"

namespace ynvex {
namespace {

using ByteSet = std::vector<std::pair<std::size_t, std::uint8_t>>;

// Bytes 128 to 255 of an image are never read: fill them with a pattern that
// would change some row if they were.
constexpr std::uint8_t kGuard = 0xA5;

SpdImage ImageWith(const ByteSet& bytes, std::uint8_t fill = 0) {
    SpdImage image{};
    for (std::size_t i = 0; i < kSpdBytesUsed; ++i) image[i] = fill;
    for (std::size_t i = kSpdBytesUsed; i < kSpdImageSize; ++i) image[i] = kGuard;
    for (const auto& [at, value] : bytes) image[at] = value;
    return image;
}

std::vector<std::string> Statuses(const TSPD& spd) {
    std::vector<std::string> rows;
    for (const auto& row : spd.Row) rows.push_back(row->Status);
    return rows;
}

std::vector<std::string> Decoded(const SpdImage& image) {
    TSPD spd;
    SDRAMfmt_desc(spd);
    SDRAMfmt_decode(spd, image);
    return Statuses(spd);
}

std::string RowOf(const ByteSet& bytes, std::size_t row) {
    return Decoded(ImageWith(bytes))[row];
}

struct RowCase {
    std::size_t row;
    ByteSet bytes;
    std::string expected;
};

void ExpectRows(const std::vector<RowCase>& cases) {
    for (const RowCase& c : cases) {
        std::string set;
        for (const auto& [at, value] : c.bytes) {
            set += " [" + std::to_string(at) + "]=" + std::to_string(value);
        }
        SCOPED_TRACE("row " + std::to_string(c.row) + ", bytes" + set);
        EXPECT_EQ(RowOf(c.bytes, c.row), c.expected);
    }
}

// --- Descriptions ---------------------------------------------------------------

// Every label names its byte (or first byte) twice, in decimal and in hex;
// the two must agree, and the rows must follow the layout upwards.
TEST(SdramDesc, LabelsNameTheirBytesInDecimalAndHexInRowOrder) {
    TSPD spd;
    SDRAMfmt_desc(spd);
    long previous = -1;
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        const std::string& text = spd.Row[i]->Description;
        SCOPED_TRACE(text);
        ASSERT_EQ(text.rfind("BYTE ", 0), 0u);
        const char* p = text.c_str() + 5;
        char* end = nullptr;
        const long decimal = std::strtol(p, &end, 10);
        const std::size_t bracket = text.find('[');
        ASSERT_NE(bracket, std::string::npos);
        const long hex = std::strtol(text.c_str() + bracket + 1, nullptr, 16);
        EXPECT_EQ(decimal, hex);
        EXPECT_GT(decimal, previous);
        previous = decimal;
        EXPECT_NE(text.find("] : "), std::string::npos);
    }
    EXPECT_EQ(previous, 127);
}

// Every label character for character, blanks included, in row order.
TEST(SdramDesc, TextsWithTheirExactBlanks) {
    const std::vector<std::string> expected = {
        "BYTE   0 [00h] : Number of Bytes used by Module Manufacturer (General)",
        "BYTE   1 [01h] : Total SPD Memory Size (General)",
        "BYTE   2 [02h] : Memory Type (General)",
        "BYTE   3 [03h] : Number of Row Address Bits (SDRAM specific)",
        "BYTE   4 [04h] : Number of Column Address Bits (SDRAM specific)",
        "BYTE   5 [05h] : Number of Module Rows",
        "BYTE 6-7 [06-07h] : Module Data Width",
        "BYTE   8 [08h] : Module Interface Signal Levels",
        "BYTE   9 [09h] : SDRAM Cycle time (highest CAS latency)",
        "BYTE  10 [0Ah] : SDRAM Access time from Clock (highest CAS latency)",
        "BYTE  11 [0Bh] : Module Configuration Type",
        "BYTE  12 [0Ch] : Refresh Rate/Type",
        "BYTE  13 [0Dh] : SDRAM Width (Primary SDRAM)",
        "BYTE  14 [0Eh] : Error Checking SDRAM Width",
        "BYTE  15 [0Fh] : SDRAM Device Attributes, Min Clock Delay for Back to Back Random Column "
        "Addresses",
        "BYTE  16 [10h] : SDRAM Device Attributes, Burst Lengths Supported",
        "BYTE  17 [11h] : SDRAM Device Attributes, Number of Banks on SDRAM Device",
        "BYTE  18 [12h] : SDRAM Device Attributes, CAS Latency",
        "BYTE  19 [13h] : SDRAM Device Attributes, CS Latency",
        "BYTE  20 [14h] : SDRAM Device Attributes, WE Latency",
        "BYTE  21 [15h] : SDRAM Module Attributes",
        "BYTE  22 [16h] : SDRAM Device Attributes, General",
        "BYTE  23 [17h] : SDRAM Cycle time (2nd highest CAS latency)",
        "BYTE  24 [18h] : SDRAM Access from Clock (2nd highest CAS latency)",
        "BYTE  25 [19h] : SDRAM Cycle time (3rd highest CAS latency)",
        "BYTE  26 [1Ah] : SDRAM Access from Clock (3rd highest CAS latency)",
        "BYTE  27 [1Bh] : Minimum Row Precharge Time",
        "BYTE  28 [1Ch] : Row Active to Row Active Min",
        "BYTE  29 [1Dh] : RAS to CAS Delay Min",
        "BYTE  30 [1Eh] : Minimum RAS Pulse Width",
        "BYTE  31 [1Fh] : Density of Each Row on Module",
        "BYTE  32 [20h] : Command and Address signal input setup time",
        "BYTE  33 [21h] : Command and Address signal input hold time",
        "BYTE  34 [22h] : Data signal input setup time",
        "BYTE  35 [23h] : Data signal input hold time",
        "BYTE  62 [3Eh] : SPD Data Revision Code",
        "BYTE  63 [3Fh] : Checksum for Bytes 0-62",
        "BYTE 64-71 [40-47h] : Manufacturer's JEDEC ID Code",
        "BYTE  72 [48h] : Manufacturing Location",
        "BYTE 73-90 [49-5Ah] : Manufacturer's Part Number",
        "BYTE 91-92 [5B-5Ch] : Revision Code",
        "BYTE 93-94 [5D-5Eh] : Manufacturing Date",
        "BYTE 95-98 [5F-62h] : Assembly Serial Number",
        "BYTE 99-125 [63-7Dh] : Manufacturer Specific Data",
        "BYTE 126 [7Eh] : Intel specification for frequency",
        "BYTE 127 [7Fh] : Intel Specification details for 100MHz Support",
    };
    ASSERT_EQ(expected.size(), kSpdRows);
    TSPD spd;
    SDRAMfmt_desc(spd);
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(spd.Row[i]->Description, expected[i]);
    }
    // Row 44 not empty: views and report show all 46 rows.
    EXPECT_FALSE(spd.Row[44]->Description.empty());
}

TEST(SdramDesc, DescAndDecodeEachKeepToTheirOwnField) {
    TSPD spd;
    for (const auto& row : spd.Row) {
        row->Description = "old label";
        row->Status = "old value";
    }
    SDRAMfmt_desc(spd);
    for (const auto& row : spd.Row) {
        EXPECT_NE(row->Description, "old label");
        EXPECT_EQ(row->Status, "old value");
    }
    for (const auto& row : spd.Row) row->Description = "kept label";
    SDRAMfmt_decode(spd, ImageWith({{0, 0x80}}));
    for (const auto& row : spd.Row) EXPECT_EQ(row->Description, "kept label");
}

// --- Bytes 0 to 35 -------------------------------------------------------------

TEST(SdramDecode, GeneralBytes) {
    ExpectRows({
        {0, {{0, 0x80}}, "128 bytes used"},
        {0, {{0, 0}}, "Undefined"},
        {1, {{1, 0x08}}, "256 bytes"},
        {1, {{1, 0}}, " RFU"},
        // The size is exact for every exponent: it never wraps into a
        // negative or a smaller 32-bit number.
        {1, {{1, 30}}, "1073741824 bytes"},
        {1, {{1, 31}}, "2147483648 bytes"},
        {1, {{1, 32}}, "4294967296 bytes"},
        {1, {{1, 40}}, "1099511627776 bytes"},
        {1,
         {{1, 255}},
         "57896044618658097711785492504343953926634992332820282019728792003956564819968 bytes"},
        {2, {{2, 4}}, "SDRAM"},
        {2, {{2, 0}}, "Reserved"},
        {2, {{2, 6}}, "DDR SGRAM"},
        {2, {{2, 7}}, "DDR SDRAM"},
        {2, {{2, 8}}, "TBD"},
        {2, {{2, 255}}, "TBD"},
        {5, {{5, 0}}, "Undefined"},
        {5, {{5, 2}}, "2 rows"},
        {6, {{6, 0x48}}, "x72"},
        {6, {{7, 0x01}}, "x256"},
        {6, {{6, 0xFF}, {7, 0xFF}}, "x65535"},
        {6, {}, "Undefined"},
    });
}

TEST(SdramDecode, AddressBits) {
    ExpectRows({
        {3, {{3, 0x0C}}, "12 row address bits"},
        {3, {{3, 0x01}}, "16 row address bits"},
        {3, {{3, 0x03}}, "18 row address bits"},
        {3, {{3, 0x04}}, "4 row address bits"},
        {3, {{3, 0x00}}, "Undefined"},
        {3, {{3, 0xDC}}, "Bank1: 12 row address bits, Bank2: 13 row address bits"},
        {3, {{3, 0x10}}, "Bank1: Undefined, Bank2: 16 row address bits"},
        {3, {{3, 0xF0}}, "Bank1: Undefined, Bank2: 15 row address bits"},
        {4, {{4, 0x04}}, "4 column address bits"},
        {4, {{4, 0x21}}, "Bank1: 16 column address bits, Bank2: 17 column address bits"},
    });
}

TEST(SdramDecode, CodeTables) {
    ExpectRows({
        {7, {{8, 0}}, "5.0 Volt/TTL"},
        {7, {{8, 1}}, "LVTTL"},
        {7, {{8, 4}}, "SSTL 2.5"},
        {7, {{8, 5}}, "TBD"},
        {7, {{8, 254}}, "TBD"},
        {7, {{8, 255}}, "New Table"},
        {10, {{11, 0}}, "Non-Parity, Non-ECC"},
        {10, {{11, 2}}, "ECC"},
        {10, {{11, 3}}, "TBD"},
        {11, {{12, 0x80}}, "15.625us/Self Refresh"},
        {11, {{12, 0x82}}, "7.8us/Self Refresh"},
        {11, {{12, 0x05}}, "125us"},
        {11, {{12, 0x06}}, "TBD"},
        {11, {{12, 0xFF}}, "TBD/Self Refresh"},
    });
}

TEST(SdramDecode, TimesInTenthsAndQuarters) {
    ExpectRows({
        {8, {{9, 0x75}}, "Tclk = 7.5ns"},
        {8, {{9, 0xA0}}, "Tclk = 10.0ns"},
        // Low nibbles 10 to 15 carry into the whole nanoseconds.
        {8, {{9, 0x7A}}, "Tclk = 8.0ns"},
        {8, {{9, 0x7D}}, "Tclk = 8.3ns"},
        {8, {{9, 0xFF}}, "Tclk = 16.5ns"},
        {8, {{9, 0}, {18, 0x06}}, "N/A"},
        {9, {{10, 0x54}, {18, 0x06}}, "Tac  = 5.4ns/CL3"},
        {22, {{23, 0xA0}, {18, 0x06}}, "Tclk = 10.0ns/CL2"},
        {23, {{24, 0}}, "N/A"},
        {24, {{25, 0x28}}, "Tclk = 10.0ns"},
        {24, {{25, 0x29}}, "Tclk = 10.25ns"},
        {24, {{25, 0x2A}}, "Tclk = 10.50ns"},
        {24, {{25, 0x2B}}, "Tclk = 10.75ns"},
        {24, {{25, 0x3C}, {18, 0x0E}}, "Tclk = 15.0ns/CL2"},
        {24, {{25, 0x3C}, {18, 0x06}}, "Tclk = 15.0ns"},
        {25, {{26, 0xFF}}, "Tac  = 63.75ns"},
        {25, {{26, 0}, {18, 0x0E}}, "N/A"},
        {26, {{27, 0x14}}, "Trp  = 20ns"},
        {26, {{27, 0}}, "Undefined"},
        {27, {{28, 0x0F}}, "Trrd = 15ns"},
        {28, {{29, 0xFF}}, "Trcd = 255ns"},
        {29, {{30, 0x2C}}, "Tras = 44ns"},
    });
}

// The rows' latency suffixes, for every example value of byte 18; "" is no
// suffix. Each row's time byte is set so the row is not N/A.
TEST(SdramDecode, CasLatencySuffixes) {
    struct Suffixes {
        std::uint8_t cas;
        const char* highest;  // rows 8 and 9
        const char* second;   // rows 22 and 23
        const char* third;    // rows 24 and 25
    };
    const Suffixes cases[] = {
        {0x06, "/CL3", "/CL2", ""},
        {0x0E, "/CL4", "/CL3", "/CL2"},
        {0x07, "/CL3", "/CL2", "/CL1"},
        {0x05, "/CL3", "/CL1", ""},
        {0x03, "/CL2", "", ""},
        {0x02, "/CL2", "", ""},
        {0x00, "", "", ""},
        // Bit 7 counts in the scan though row 17 does not list it.
        {0x80, "/CL8", "", ""},
        {0x0D, "/CL4", "/CL3", "/CL1"},
        {0x01, "/CL1", "", ""},
    };
    for (const Suffixes& c : cases) {
        SCOPED_TRACE("byte 18 = " + std::to_string(c.cas));
        const auto rows = Decoded(ImageWith(
            {{9, 0x75}, {10, 0x54}, {18, c.cas}, {23, 0xA0}, {24, 0x60}, {25, 0x3C}, {26, 0x28}}));
        EXPECT_EQ(rows[8], std::string("Tclk = 7.5ns") + c.highest);
        EXPECT_EQ(rows[9], std::string("Tac  = 5.4ns") + c.highest);
        EXPECT_EQ(rows[22], std::string("Tclk = 10.0ns") + c.second);
        EXPECT_EQ(rows[23], std::string("Tac  = 6.0ns") + c.second);
        EXPECT_EQ(rows[24], std::string("Tclk = 15.0ns") + c.third);
        EXPECT_EQ(rows[25], std::string("Tac  = 10.0ns") + c.third);
    }
}

TEST(SdramDecode, DeviceWidths) {
    ExpectRows({
        {12, {{13, 0x08}}, "x8 (No Bank2 -OR- Bank2 uses same width Primary SDRAM as Bank1)"},
        {12, {{13, 0x00}}, "None"},
        {12, {{13, 0x80}}, "None (Bank2 Primary SDRAM is 2X the width of Bank1)"},
        {12, {{13, 0x84}}, "x4 (Bank2 Primary SDRAM is 2X the width of Bank1)"},
        {13, {{14, 0x08}}, "x8 (No Bank2 -OR- Bank2 uses same width EC SDRAM as Bank1)"},
        {13, {{14, 0xFF}}, "x127 (Bank2 EC SDRAM is 2X the width of Bank1)"},
        {13, {{14, 0x00}}, "None"},
    });
}

TEST(SdramDecode, DeviceAttributeLists) {
    ExpectRows({
        {14, {{15, 0}}, "None"},
        {14, {{15, 1}}, "Tccd = 1 clock"},
        {15, {{16, 0}}, "None"},
        {15, {{16, 0x8F}}, "Burst length = 1, 2, 4, 8, Page, Supported"},
        {15, {{16, 0x70}}, "Burst length = Supported"},
        {15, {{16, 0x0A}}, "Burst length = 2, 8, Supported"},
        {16, {{17, 0}}, "Reserved"},
        {16, {{17, 4}}, "4 banks"},
        {17, {{18, 0}}, "None"},
        {17, {{18, 0x06}}, "CAS Latency = 3, 2, Supported"},
        {17, {{18, 0x80}}, "CAS Latency = Supported"},
        {17, {{18, 0xFF}}, "CAS Latency = 7, 6, 5, 4, 3, 2, 1, Supported"},
        {18, {{19, 0}}, "None"},
        {18, {{19, 0x01}}, "CS  Latency = 0, Supported"},
        {18, {{19, 0x80}}, "CS  Latency = 7, Supported"},
        {19, {{20, 0x03}}, "WE  Latency = 1, 0, Supported"},
        {19, {{20, 0}}, "None"},
    });
}

TEST(SdramDecode, ModuleAndDeviceAttributes) {
    ExpectRows({
        {20, {{21, 0x00}}, "Unbuffered"},
        {20, {{21, 0x80}}, ""},
        {20, {{21, 0x02}}, "Registered Address/Control Inputs, "},
        {20, {{21, 0x42}}, "Registered Address/Control Inputs, Redundant Row Address"},
        {20,
         {{21, 0x7F}},
         "Buffered Address/Control Inputs, Registered Address/Control Inputs, On-Card "
         "PLL(Clock), Buffered DQMB Inputs, Registered DQMB Inputs, Differential Clock Input, "
         "Redundant Row Address"},
        {21, {{22, 0x00}}, "Lower Vcc tolerance = 10%, Upper Vcc tolerance = 10%"},
        {21,
         {{22, 0x0E}},
         "Auto-Precharge, Precharge All, Write 1/Read Burst, Supported  Lower Vcc tolerance = "
         "10%, Upper Vcc tolerance = 10%"},
        {21, {{22, 0x30}}, "Supported  Lower Vcc tolerance = 5%, Upper Vcc tolerance = 5%"},
        {21,
         {{22, 0x41}},
         "Early RAS# Precharge, Supported  Lower Vcc tolerance = 10%, Upper Vcc tolerance = 10%"},
        {21, {{22, 0x10}}, "Supported  Lower Vcc tolerance = 5%, Upper Vcc tolerance = 10%"},
    });
}

TEST(SdramDecode, RowDensity) {
    ExpectRows({
        {30, {{31, 0x00}}, "N/A"},
        {30, {{31, 0x01}}, "Row  = 4MB"},
        {30, {{31, 0x20}}, "Row  = 128MB"},
        {30, {{31, 0x80}}, "Row  = 512MB"},
        {30, {{31, 0x30}}, "Row1 = 128MB, Row2 = 64MB, "},
        {30, {{31, 0x81}}, "Row1 = 512MB, Row2 = 4MB, "},
        {30,
         {{31, 0xFF}},
         "Row1 = 512MB, Row2 = 256MB, Row3 = 128MB, Row4 = 64MB, Row5 = 32MB, Row6 = 16MB, "
         "Row7 = 8MB, Row8 = 4MB, "},
    });
}

TEST(SdramDecode, SetupAndHoldTimes) {
    ExpectRows({
        {31, {{32, 0x15}}, "1.5ns"},
        {31, {{32, 0x08}}, "0.8ns"},
        {31, {{32, 0x00}}, "0.0ns"},
        {31, {{32, 0x80}}, "-0.0ns"},
        {31, {{32, 0x0A}}, " RFU"},
        {32, {{33, 0x95}}, "-1.5ns"},
        {32, {{33, 0xF9}}, "-7.9ns"},
        {33, {{34, 0x3C}}, " RFU"},
        {34, {{35, 0xFF}}, " RFU"},
        {34, {{35, 0x79}}, "7.9ns"},
    });
}

// --- Bytes 62 to 127 ------------------------------------------------------------

TEST(SdramDecode, RevisionLocationCodesDateSerial) {
    ExpectRows({
        {35, {{62, 0}}, "None"},
        {35, {{62, 0x12}}, "Rev.1.2"},
        {35, {{62, 0x02}}, "Rev.0.2"},
        {35, {{62, 0x1A}}, "Rev.1.10"},
        {38, {{72, 0}}, "00h"},
        {38, {{72, 0xAB}}, "ABh"},
        {40, {{91, 0}, {92, 0}}, "N/A"},
        {40, {{92, 0x41}}, "00h, 41h"},
        {40, {{91, 0x01}}, "01h, 00h"},
        {41, {}, "Year : 0, Week : 0"},
        {41, {{93, 0x01}, {94, 0x23}}, "Year : 1, Week : 35"},
        {41, {{93, 0x01}, {94, 0x15}}, "Year : 1, Week : 21"},
        {42, {{95, 0x12}, {96, 0x34}, {97, 0xAB}, {98, 0x0C}}, "S/N : 1234AB0C (HEX)"},
        {42, {}, "S/N : 00000000 (HEX)"},
        {43, {}, std::string(54, '0') + " (HEX)"},
        {43,
         {{99, 0x01}, {112, 0xAB}, {125, 0xFE}},
         "01" + std::string(24, '0') + "AB" + std::string(24, '0') + "FE (HEX)"},
        {44, {{126, 0x64}}, "100MHz"},
        {44, {{126, 0x66}}, "66MHz"},
        {44, {{126, 0x85}}, "N/A"},
        {44, {{126, 0}}, "N/A"},
    });
}

// Bytes from 0 upwards that add up to sum: 0xFF each, the rest in the last.
ByteSet BytesSummingTo(std::uint32_t sum) {
    ByteSet bytes;
    for (std::size_t i = 0; sum > 0; ++i) {
        const std::uint8_t b = sum > 0xFF ? 0xFF : static_cast<std::uint8_t>(sum);
        bytes.push_back({i, b});
        sum -= b;
    }
    return bytes;
}

ByteSet With(ByteSet bytes, std::initializer_list<std::pair<std::size_t, std::uint8_t>> more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TEST(SdramDecode, Checksum) {
    const std::string note = " (The low 8-bits of the arithmetic sum of bytes 0 through 62. = ";
    ExpectRows({
        {36, With(BytesSummingTo(0x0A7A), {{63, 0x7A}}), "The checksum = 7Ah" + note + "0A7Ah)"},
        {36, With(BytesSummingTo(0x0A7A), {{63, 0x7B}}), "Wrong checksum = 7Bh" + note + "0A7Ah)"},
        {36, With(BytesSummingTo(0x00FF), {{63, 0xFF}}), "The checksum = FFh" + note + "00FFh)"},
        {36, With(BytesSummingTo(0x0B00), {}), "None. -OR- The checksum = 00h" + note + "0B00h)"},
        {36, With(BytesSummingTo(0x0B01), {}), "None. -OR- Wrong checksum = 00h" + note + "0B01h)"},
        // Byte 62 is the last one summed; byte 63 and the bytes after it are not.
        {36,
         {{62, 0x10}, {63, 0x10}, {64, 0x2C}, {127, 0x55}},
         "The checksum = 10h" + note + "0010h)"},
    });
    // The largest sum needs more than 8 bits and is shown whole.
    ByteSet all;
    for (std::size_t i = 0; i < 63; ++i) all.push_back({i, 0xFF});
    EXPECT_EQ(RowOf(With(all, {{63, 0xC1}}), 36), "The checksum = C1h" + note + "3EC1h)");
}

TEST(SdramDecode, ManufacturerIdentified) {
    auto code = [](std::initializer_list<std::uint8_t> bytes) {
        ByteSet set;
        std::size_t at = 64;
        for (std::uint8_t b : bytes) set.push_back({at++, b});
        return set;
    };
    ExpectRows({
        {37, code({0x2C, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
         "Company Name = Micron Technology, Bank = 1, Number = 44 (DEC), CODE = 2C (HEX)"},
        {37, code({0x7F, 0x0B, 0xFF, 0x00, 0x12, 0x34, 0x56, 0x78}),
         "Company Name = Bestlink Systems, Bank = 2, Number = 11 (DEC), CODE = 7F0B (HEX)"},
        // No 0xFF among the eight bytes: all sixteen digits, zeros included.
        {37, code({0xCE, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
         "Company Name = Samsung, Bank = 1, Number = 78 (DEC), CODE = CE00000000000000 (HEX)"},
        {37, code({0x7F, 0x7F, 0x7F, 0x0B, 0x01, 0x02, 0x03, 0x04}),
         "Company Name = Nanya Technology, Bank = 4, Number = 11 (DEC), CODE = 7F7F7F0B01020304 "
         "(HEX)"},
        // Placed in its bank, but without a name.
        {37, code({0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
         "Company Name = Unknown, Bank = 2, Number = 127 (DEC), CODE = 7F (HEX)"},
        {37, code({0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),
         "Company Name = Unknown, Bank = 1, Number = 0 (DEC), CODE = 80 (HEX)"},
        // A stored name goes into the row byte for byte, its 0x81 0x66 included.
        {37, code({0x7F, 0x7F, 0x7F, 0x3E, 0xFF, 0xFF, 0xFF, 0xFF}),
         std::string("Company Name = c\x81\x66") +
             "t Magazine, Bank = 4, Number = 62 (DEC), CODE = 7F7F7F3E (HEX)"},
    });
}

TEST(SdramDecode, ManufacturerUnidentifiedOrAbsent) {
    const std::string quote = "\"";
    ExpectRows({
        {37,
         {{64, 0xFF},
          {65, 0xFF},
          {66, 0xFF},
          {67, 0xFF},
          {68, 0xFF},
          {69, 0xFF},
          {70, 0xFF},
          {71, 0xFF}},
         "Company Name = Unknown, FFFFFFFFFFFFFFFF (HEX), " + quote + "        " + quote +
             " (ASCII)"},
        // Four continuation codes: beyond the four banks. 0x7F is no shown character.
        {37,
         {{64, 0x7F},
          {65, 0x7F},
          {66, 0x7F},
          {67, 0x7F},
          {68, 0x0B},
          {69, 'A'},
          {70, '~'},
          {71, ' '}},
         "Company Name = Unknown, 7F7F7F7F0B417E20 (HEX), " + quote + "     A~ " + quote +
             " (ASCII)"},
        {37,
         {{64, 0xFF}, {65, 'C'}, {66, 'A'}, {67, 'U'}},
         "Company Name = Unknown, FF43415500000000 (HEX), " + quote + " CAU    " + quote +
             " (ASCII)"},
        {37, {{64, 0x00}, {65, 0x2C}, {66, 'X'}}, "None"},
    });
}

TEST(SdramDecode, PartNumberShowsOneCharacterPerByte) {
    auto text = [](std::string chars) {
        ByteSet set;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            set.push_back({73 + i, static_cast<std::uint8_t>(chars[i])});
        }
        return set;
    };
    ExpectRows({
        {39, text("ABC"), "ABC" + std::string(15, ' ')},
        {39, text("SSP133-064323J12345"), "SSP133-064323J1234"},  // byte 91 is not in it
        // Control bytes, DEL and bytes above 0x7E become blanks; the edges stay.
        {39, text("A\x09\x1F \x7E\x7F\x80\xFFZ"), "A   ~   Z" + std::string(9, ' ')},
        {39, text(std::string("\0XYZ", 4)), ""},
        {39, {}, ""},
    });
}

TEST(SdramDecode, Intel100MHzDetails) {
    ExpectRows({
        {45, {{127, 0x00}}, "N/A"},
        {45,
         {{127, 0xFF}},
         "CLK0 CLK1 CLK2 CLK3 (4clock)Connected, Junction Temp : 100C, CL2 Supported, Intel "
         "defined Concurrent Auto-precharge Supported"},
        {45,
         {{127, 0x8D}},
         "CLK0 (1clock)Connected, Junction Temp : 100C, CL3 Supported, Intel defined Concurrent "
         "Auto-precharge Supported"},
        {45, {{127, 0x06}}, "Junction Temp : 90C, CL2 Supported, "},
        {45, {{127, 0x02}}, "Junction Temp : 90C, CL3 Supported, "},
        {45,
         {{127, 0x01}},
         "Junction Temp : 90C, CL3 Supported, Intel defined Concurrent Auto-precharge Supported"},
        {45, {{127, 0x30}}, "CLK2 CLK3 (2clock)Connected, Junction Temp : 90C, CL3 Supported, "},
    });
}

// --- One reader, several reads ----------------------------------------------------

// A reader that served one module and then decodes another holds exactly what
// a fresh reader would: no row keeps or prefixes text of the first module.
TEST(SdramDecode, SecondImageWithTheSameReaderLeavesNothingOfTheFirst) {
    const SpdImage first = ImageWith({{0, 0x80},
                                      {9, 0x75},
                                      {18, 0x0E},
                                      {21, 0x7F},
                                      {22, 0x3F},
                                      {31, 0xFF},
                                      {63, 0x01},
                                      {64, 0x7F},
                                      {65, 0x7F},
                                      {66, 0x7F},
                                      {67, 0x7F},
                                      {73, 'A'},
                                      {74, 'B'},
                                      {127, 0xFF}});
    const SpdImage second = ImageWith({{0, 0x80},
                                       {9, 0xA0},
                                       {18, 0x02},
                                       {21, 0x80},
                                       {31, 0x01},
                                       {64, 0x2C},
                                       {65, 0xFF},
                                       {127, 0x06}});
    TSPD spd;
    SDRAMfmt_desc(spd);
    SDRAMfmt_decode(spd, first);
    const auto afterFirst = Statuses(spd);
    SDRAMfmt_desc(spd);
    SDRAMfmt_decode(spd, second);
    const auto afterSecond = Statuses(spd);
    const auto fresh = Decoded(second);
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(afterSecond[i], fresh[i]);
    }
    // The two images really differ in the rows that build their text in pieces.
    for (std::size_t row : {8u, 20u, 21u, 30u, 36u, 37u, 39u, 45u}) {
        EXPECT_NE(afterFirst[row], afterSecond[row]) << "row " << row;
    }
    EXPECT_EQ(afterSecond[30], "Row  = 4MB");
    EXPECT_EQ(afterSecond[20], "");
}

// --- A real module ----------------------------------------------------------------

SpdImage LoadDump(const std::string& name) {
    SpdImage image = ImageWith({});
    std::FILE* file = std::fopen((std::string(YNVEX_TEST_DATA) + "/sdram/" + name).c_str(), "rb");
    if (file == nullptr) {
        ADD_FAILURE() << "cannot open " << name;
        return image;
    }
    // The read cycle fills bytes 0 to 127 only.
    const std::size_t got = std::fread(image.data(), 1, kSpdBytesUsed, file);
    std::fclose(file);
    EXPECT_EQ(got, kSpdBytesUsed);
    return image;
}

// A Dane-Elec PC133 256 MB module: 13/9 address bits, two rows of 128 MB of
// x16 chips, CL3 at 7.5 ns and CL2 at 10 ns. Each row worked out from the
// dump's bytes by the SDRAM layout.
TEST(SdramDecode, DaneElecPc133Module) {
    const auto rows = Decoded(LoadDump("dane-elec-ssp133-064323j-256mb.bin"));
    const std::vector<std::string> expected = {
        "128 bytes used",                                                    // 0: 80
        "256 bytes",                                                         // 1: 08
        "SDRAM",                                                             // 2: 04
        "13 row address bits",                                               // 3: 0D
        "9 column address bits",                                             // 4: 09
        "2 rows",                                                            // 5: 02
        "x64",                                                               // 6: 40 00
        "LVTTL",                                                             // 8: 01
        "Tclk = 7.5ns/CL3",                                                  // 9: 75, 18: 06
        "Tac  = 5.4ns/CL3",                                                  // 10: 54
        "Non-Parity, Non-ECC",                                               // 11: 00
        "7.8us/Self Refresh",                                                // 12: 82
        "x16 (No Bank2 -OR- Bank2 uses same width Primary SDRAM as Bank1)",  // 13: 10
        "None",                                                              // 14: 00
        "Tccd = 1 clock",                                                    // 15: 01
        "Burst length = 1, 2, 4, 8, Page, Supported",                        // 16: 8F
        "4 banks",                                                           // 17: 04
        "CAS Latency = 3, 2, Supported",                                     // 18: 06
        "CS  Latency = 0, Supported",                                        // 19: 01
        "WE  Latency = 0, Supported",                                        // 20: 01
        "Unbuffered",                                                        // 21: 00
        "Auto-Precharge, Precharge All, Write 1/Read Burst, Supported  Lower Vcc tolerance = "
        "10%, Upper Vcc tolerance = 10%",  // 22: 0E
        "Tclk = 10.0ns/CL2",               // 23: A0
        "Tac  = 6.0ns/CL2",                // 24: 60
        "N/A",                             // 25: 00
        "N/A",                             // 26: 00
        "Trp  = 20ns",                     // 27: 14
        "Trrd = 15ns",                     // 28: 0F
        "Trcd = 20ns",                     // 29: 14
        "Tras = 44ns",                     // 30: 2C
        "Row  = 128MB",                    // 31: 20
        "1.5ns",                           // 32: 15
        "0.8ns",                           // 33: 08
        "1.5ns",                           // 34: 15
        "0.8ns",                           // 35: 08
        "Rev.1.2",                         // 62: 12
        "The checksum = B9h (The low 8-bits of the arithmetic sum of bytes 0 through 62. = "
        "04B9h)",  // 63: B9
        "Company Name = Dane-Elec (C Memory), Bank = 2, Number = 90 (DEC), CODE = "
        "7FDA000000000000 (HEX)",         // 64-71
        "53h",                            // 72: location, an ASCII "S" in this dump
        "SP133-064323J     ",             // 73-90, the last five bytes 0
        "N/A",                            // 91-92
        "Year : 1, Week : 2",             // 93-94
        "S/N : 00000000 (HEX)",           // 95-98
        std::string(54, '0') + " (HEX)",  // 99-125
        "100MHz",                         // 126: 64
        "CLK0 CLK1 (2clock)Connected, Junction Temp : 100C, CL3 Supported, Intel defined "
        "Concurrent Auto-precharge Supported",  // 127: CD
    };
    ASSERT_EQ(expected.size(), kSpdRows);
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(rows[i], expected[i]);
    }
}

// Every memory type but DDR SDRAM is shown with this layout, and the decoder
// itself reads every image so: byte 2 changes its own row and the checksum
// sum, nothing else.
TEST(SdramDecode, OtherMemoryTypesAreReadWithTheSdramLayout) {
    const SpdImage sdram = LoadDump("dane-elec-ssp133-064323j-256mb.bin");
    const auto asSdram = Decoded(sdram);
    const std::pair<std::uint8_t, const char*> types[] = {
        {0, "Reserved"},  {1, "Standard FPM DRAM"}, {2, "EDO"}, {5, "ROM"},
        {6, "DDR SGRAM"}, {7, "DDR SDRAM"},         {8, "TBD"}, {255, "TBD"},
    };
    for (const auto& [type, name] : types) {
        SCOPED_TRACE("byte 2 = " + std::to_string(type));
        SpdImage image = sdram;
        image[2] = type;
        const auto rows = Decoded(image);
        EXPECT_EQ(rows[2], name);
        for (std::size_t i = 0; i < kSpdRows; ++i) {
            if (i == 2 || i == 36) continue;
            EXPECT_EQ(rows[i], asSdram[i]) << "row " << i;
        }
    }
}

// --- Every value of every byte ------------------------------------------------------

void ExpectSoundDecode(const SpdImage& image, const std::string& what) {
    SCOPED_TRACE(what);
    TSPD spd;
    for (const auto& row : spd.Row) row->Status = "stale";
    SDRAMfmt_decode(spd, image);
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        const std::string& text = spd.Row[i]->Status;
        EXPECT_NE(text, "stale") << "row " << i;
        for (char c : text) {
            const auto u = static_cast<unsigned char>(c);
            ASSERT_TRUE(u >= 0x20 && u != 0x7F) << "row " << i << " holds byte " << unsigned(u);
        }
    }
    for (std::size_t i = kSpdBytesUsed; i < kSpdImageSize; ++i) ASSERT_EQ(image[i], kGuard);
}

// Every byte set to each value in turn, alone or all together: every row gets
// a text without control characters, and nothing beyond byte 127 counts.
TEST(SdramDecode, EveryValueOfEveryByte) {
    for (unsigned value = 0; value < 256; ++value) {
        const auto v = static_cast<std::uint8_t>(value);
        ExpectSoundDecode(ImageWith({}, v), "all bytes " + std::to_string(value));
        for (std::size_t at = 0; at < kSpdBytesUsed; ++at) {
            ExpectSoundDecode(ImageWith({{at, v}}),
                              "byte " + std::to_string(at) + " = " + std::to_string(value));
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

TEST(SdramDecode, BytesBeyond127DoNotCount) {
    SpdImage image = LoadDump("dane-elec-ssp133-064323j-256mb.bin");
    const auto withGuard = Decoded(image);
    for (std::uint8_t fill : {0x00, 0x7F, 0xFF}) {
        for (std::size_t i = kSpdBytesUsed; i < kSpdImageSize; ++i) image[i] = fill;
        EXPECT_EQ(Decoded(image), withGuard) << "bytes 128 to 255 = " << unsigned(fill);
    }
}

}  // namespace
}  // namespace ynvex
