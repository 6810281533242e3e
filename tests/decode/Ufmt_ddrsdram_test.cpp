#include "decode/Ufmt_ddrsdram.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "decode/Ufmt_sdram.h"

namespace ynvex {
namespace {

using Bytes = std::vector<std::pair<std::size_t, std::uint8_t>>;

constexpr std::size_t kShownRows = 44;

SpdImage ImageWith(const Bytes& bytes) {
    SpdImage image{};
    image[2] = 7;  // DDR SDRAM
    for (const auto& [offset, value] : bytes) image[offset] = value;
    return image;
}

std::string StatusOf(const SpdImage& image, std::size_t row, char separator = '.') {
    TSPD spd;
    DDRfmt_decode(spd, image, separator);
    return spd.Row[row]->Status;
}

// Test names from the cases' own words.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
    std::string name = info.param.what;
    for (char& c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) c = '_';
    return name;
}

void PrintCase(const char* what, std::ostream* os) {
    *os << what;
}

std::string Hex(const std::string& text) {
    std::string out;
    char buf[4];
    for (unsigned char c : text) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

// ---- row labels

TEST(DDRfmtDesc, LabelsNameTheirBytesAlignedAndInHex) {
    // The first SPD byte each row shows, and whether it shows a range.
    struct Shown {
        unsigned first;
        bool range;
    };
    const Shown shown[kShownRows] = {
        {0, false},  {1, false},  {2, false},  {3, false},  {4, false},  {5, false},  {6, true},
        {8, false},  {9, false},  {10, false}, {11, false}, {12, false}, {13, false}, {14, false},
        {15, false}, {16, false}, {17, false}, {18, false}, {19, false}, {20, false}, {21, false},
        {22, false}, {23, false}, {24, false}, {25, false}, {26, false}, {27, false}, {28, false},
        {29, false}, {30, false}, {31, false}, {32, false}, {33, false}, {34, false}, {35, false},
        {62, false}, {63, false}, {64, true},  {72, false}, {73, true},  {91, true},  {93, true},
        {95, true},  {99, true},
    };
    TSPD spd;
    DDRfmt_desc(spd);
    for (std::size_t row = 0; row < kShownRows; ++row) {
        SCOPED_TRACE(row);
        const std::string& label = spd.Row[row]->Description;
        const unsigned b = shown[row].first;
        char prefix[32];
        if (shown[row].range) {
            std::snprintf(prefix, sizeof prefix, "BYTE %u-", b);
        } else {
            std::snprintf(prefix, sizeof prefix, "BYTE %3u [%02Xh] : ", b, b);
        }
        EXPECT_EQ(label.rfind(prefix, 0), 0u) << label;
        if (shown[row].range) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "[%02X-", b);
            EXPECT_NE(label.find(hex), std::string::npos) << label;
        }
    }
}

TEST(DDRfmtDesc, EveryLabelExactly) {
    // The apostrophe of "Manufacturer's" in rows 37 and 43 is 0x81 0x66.
    const std::string quote = "\x81\x66";
    const std::string expected[kSpdRows] = {
        "BYTE   0 [00h] : Number of Serial PD Bytes written during module production",
        "BYTE   1 [01h] : Total number of Bytes in Serial PD device",
        "BYTE   2 [02h] : Fundamental Memory Type (FPM, EDO, SDRAM...)",
        "BYTE   3 [03h] : Number of Row Addresses on this assembly",
        "BYTE   4 [04h] : Number of Column Addresses on this assembly",
        "BYTE   5 [05h] : Number of Physical Banks on DIMM",
        "BYTE 6-7 [06-07h] : Data Width of this assembly",
        "BYTE   8 [08h] : Voltage Interface Level of this assembly",
        "BYTE   9 [09h] : SDRAM Device Cycle time at Maximum Supported CAS Latency (CL), CL=X",
        "BYTE  10 [0Ah] : SDRAM Device Access from Clock",
        "BYTE  11 [0Bh] : DIMM configuration type (Non-parity, Parity or ECC)",
        "BYTE  12 [0Ch] : Refresh Rate/Type",
        "BYTE  13 [0Dh] : Primary SDRAM Width",
        "BYTE  14 [0Eh] : Error Checking SDRAM Width",
        "BYTE  15 [0Fh] : SDRAM Device Attributes: Minimum Clock Delay, Back-to-Back Random "
        "Column Access",
        "BYTE  16 [10h] : SDRAM Device Attributes: Burst Lengths Supported",
        "BYTE  17 [11h] : SDRAM Device Attributes: Number of Banks on SDRAM Device",
        "BYTE  18 [12h] : SDRAM Device Attributes: CAS Latency",
        "BYTE  19 [13h] : SDRAM Device Attributes: CS Latency",
        "BYTE  20 [14h] : SDRAM Device Attributes: Write Latency",
        "BYTE  21 [15h] : SDRAM Module Attributes",
        "BYTE  22 [16h] : SDRAM Device Attributes: General",
        "BYTE  23 [17h] : SDRAM Device Minimum Clock Cycle at CLX-0.5",
        "BYTE  24 [18h] : SDRAM Device Maximum Data Access Time (t AC ) from Clock at CLX-0.5",
        "BYTE  25 [19h] : SDRAM Device Minimum Clock Cycle at CLX-1 3",
        "BYTE  26 [1Ah] : SDRAM Device Maximum Data Access Time (t AC ) from Clock at CLX-1",
        "BYTE  27 [1Bh] : SDRAM Device Minimum Row Precharge Time (t RP )",
        "BYTE  28 [1Ch] : SDRAM Device Minimum Row Active to Row Active delay (t RRD )",
        "BYTE  29 [1Dh] : SDRAM Device Minimum RAS to CAS delay (t RCD )",
        "BYTE  30 [1Eh] : SDRAM Device Minimum Active to Precharge Time (t RAS )",
        "BYTE  31 [1Fh] : Module Bank Density",
        "BYTE  32 [20h] : Address and Command Input Setup Time Before Clock",
        "BYTE  33 [21h] : Address and Command Input Hold Time After Clock",
        "BYTE  34 [22h] : SDRAM Device Data/Data Mask Input Setup Time Before Data Strobe",
        "BYTE  35 [23h] : SDRAM Device Data/Data Mask Input Hold Time After Data Strobe",
        "BYTE  62 [3Eh] : SPD Revision",
        "BYTE  63 [3Fh] : Checksum for Bytes 0-62",
        "BYTE 64-71 [40-47h] : Manufacturer" + quote + "s JEDEC ID Code",
        "BYTE  72 [48h] : Module Manufacturing Location",
        "BYTE 73-90 [49-5Ah] : Module Part Number",
        "BYTE 91-92 [5B-5Ch] : Module Revision Code",
        "BYTE 93-94 [5D-5Eh] : Module Manufacturing Date",
        "BYTE 95-98 [5F-62h] : Module Serial Number",
        "BYTE 99-125 [63-7Dh] : Manufacturer" + quote + "s Specific Data",
        "",
        "",
    };
    TSPD spd;
    DDRfmt_desc(spd);
    for (std::size_t row = 0; row < kSpdRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(spd.Row[row]->Description, expected[row]) << Hex(spd.Row[row]->Description);
    }
}

TEST(DDRfmtDesc, ReplacesEveryLabelAndEmptiesRows44And45) {
    TSPD spd;
    for (auto& row : spd.Row) {
        row->Description = "old";
        row->Status = "kept";
    }
    DDRfmt_desc(spd);
    for (std::size_t row = 0; row < kShownRows; ++row) EXPECT_NE(spd.Row[row]->Description, "old");
    EXPECT_EQ(spd.Row[44]->Description, "");
    EXPECT_EQ(spd.Row[45]->Description, "");
    for (const auto& row : spd.Row) EXPECT_EQ(row->Status, "kept");
}

// ---- values without fixed-point numbers

struct TextCase {
    const char* what;
    Bytes bytes;
    std::size_t row;
    std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    PrintCase(c.what, os);
}

class DDRfmtText : public testing::TestWithParam<TextCase> {};

// None of these texts holds a fixed-point number, so the separator must not
// change them.
TEST_P(DDRfmtText, DecodesToTheLayoutText) {
    const TextCase& c = GetParam();
    const SpdImage image = ImageWith(c.bytes);
    EXPECT_EQ(StatusOf(image, c.row, '.'), c.expected) << c.what;
    EXPECT_EQ(StatusOf(image, c.row, ','), c.expected) << c.what;
}

const std::string kBlanks8(8, ' ');

INSTANTIATE_TEST_SUITE_P(
    Cases, DDRfmtText,
    testing::Values(
        TextCase{"bytes used 0", {{0, 0}}, 0, "Undefined"},
        TextCase{"bytes used 128", {{0, 0x80}}, 0, "128 bytes used"},
        TextCase{"size code 0", {{1, 0}}, 1, " RFU"},
        TextCase{"size code 8", {{1, 8}}, 1, "256 bytes"},
        // The size is shown exactly, never as a wrapped 32-bit number.
        TextCase{"size code 31", {{1, 31}}, 1, "2147483648 bytes"},
        TextCase{"size code 32", {{1, 32}}, 1, "4294967296 bytes"},
        TextCase{"size code 255",
                 {{1, 255}},
                 1,
                 "57896044618658097711785492504343953926634992332820282019728792003956564819968"
                 " bytes"},
        TextCase{"type 0", {{2, 0}}, 2, "Reserved"}, TextCase{"type 7", {{2, 7}}, 2, "DDR SDRAM"},
        TextCase{"type 8 has no name", {{2, 8}}, 2, "TBD"},
        TextCase{"row bits 0", {{3, 0x00}}, 3, "Undefined"},
        TextCase{"row bits 13", {{3, 0x0D}}, 3, "13 row address bits"},
        TextCase{"row bits code 1 is 16", {{3, 0x01}}, 3, "16 row address bits"},
        TextCase{"row bits two banks",
                 {{3, 0x3C}},
                 3,
                 "Bank1: 12 row address bits, Bank2: 18 row address bits"},
        TextCase{"row bits bank 1 undefined",
                 {{3, 0x10}},
                 3,
                 "Bank1: Undefined, Bank2: 16 row address bits"},
        TextCase{"column bits two banks",
                 {{4, 0x21}},
                 4,
                 "Bank1: 16 column address bits, Bank2: 17 column address bits"},
        TextCase{"physical banks 0", {{5, 0}}, 5, "Undefined"},
        TextCase{"physical banks 2", {{5, 2}}, 5, "2 rows"},
        TextCase{"width 72", {{6, 0x48}, {7, 0x00}}, 6, "x72"},
        TextCase{"width high byte", {{6, 0x00}, {7, 0x01}}, 6, "x256"},
        TextCase{"width 0", {{6, 0}, {7, 0}}, 6, "Undefined"},
        TextCase{"voltage 0", {{8, 0}}, 7, "TTL/5V tolerant"},
        TextCase{"voltage 1", {{8, 1}}, 7, "LVTTL (not 5V tolerant)"},
        TextCase{"voltage 4 has no unit", {{8, 4}}, 7, "SSTL 2.5"},
        TextCase{"voltage 255", {{8, 255}}, 7, "SSTL 2.5 V"},
        TextCase{"voltage 5", {{8, 5}}, 7, "TBD"},
        TextCase{"cycle time 0", {{9, 0}, {18, 0x0C}}, 8, "N/A"},
        TextCase{"cycle time FF", {{9, 0xFF}}, 8, "Tclk = 16.5ns"},
        TextCase{"cycle time nibble carries", {{9, 0x7A}}, 8, "Tclk = 8.0ns"},
        TextCase{"access time 0", {{10, 0}, {18, 0x0C}}, 9, "N/A"},
        TextCase{"config 0", {{11, 0}}, 10, "Non-Parity, Non-ECC"},
        TextCase{"config 2", {{11, 2}}, 10, "ECC"}, TextCase{"config 3", {{11, 3}}, 10, "TBD"},
        TextCase{"refresh 0", {{12, 0x00}}, 11, "Normal (15.625 us)"},
        TextCase{"refresh self", {{12, 0x82}}, 11, "Reduced (.5x)...7.8us/Self Refresh"},
        TextCase{"refresh 5", {{12, 0x05}}, 11, "Extended (8x)...125us"},
        TextCase{"refresh 6", {{12, 0x06}}, 11, "TBD"},
        TextCase{"refresh FF", {{12, 0xFF}}, 11, "TBD/Self Refresh"},
        TextCase{"primary width 0", {{13, 0x00}}, 12, "None"},
        TextCase{"primary width only bit 7",
                 {{13, 0x80}},
                 12,
                 "None (Bank 2 SDRAM is 2X the width of Physical Bank 1 SDRAM)"},
        TextCase{"primary width x8",
                 {{13, 0x08}},
                 12,
                 "x8 (No Physical Bank 2 or Bank 2 uses same width SDRAM as Physical Bank 1)"},
        TextCase{"EC width x8 doubled",
                 {{14, 0x88}},
                 13,
                 "x8 (Bank 2 EC SDRAM is 2X the width of Physical Bank 1 SDRAM)"},
        TextCase{"EC width x8",
                 {{14, 0x08}},
                 13,
                 "x8 (No Physical Bank 2 or Bank 2 uses same width EC SDRAM as Physical Bank 1)"},
        TextCase{"EC width 0", {{14, 0x00}}, 13, "None"}, TextCase{"Tccd 0", {{15, 0}}, 14, "None"},
        TextCase{"Tccd 1", {{15, 1}}, 14, "Tccd = 1 clock"},
        TextCase{"burst 0", {{16, 0x00}}, 15, "None"},
        TextCase{"burst 2 4 8", {{16, 0x0E}}, 15, "Burst length = 2, 4, 8, Supported"},
        TextCase{"burst all", {{16, 0xFF}}, 15, "Burst length = 1, 2, 4, 8, Page, Supported"},
        TextCase{"burst ignored bits", {{16, 0x70}}, 15, "Burst length = Supported"},
        TextCase{"device banks 0", {{17, 0}}, 16, "Reserved"},
        TextCase{"device banks 4", {{17, 4}}, 16, "4 banks"},
        TextCase{"CAS 0", {{18, 0x00}}, 17, "None"},
        TextCase{"CAS only bit 6", {{18, 0x40}}, 17, "CAS Latency = Supported"},
        TextCase{"CS 0", {{19, 0x00}}, 18, "None"},
        TextCase{"CS 0 clocks", {{19, 0x01}}, 18, "CS  Latency = 0, Supported"},
        TextCase{"CS all", {{19, 0xFF}}, 18, "CS  Latency = 6, 5, 4, 3, 2, 1, 0, Supported"},
        TextCase{"WE 1 clock", {{20, 0x02}}, 19, "WE  Latency = 1, Supported"},
        TextCase{"WE all", {{20, 0xFF}}, 19, "WE  Latency = 3, 2, 1, 0, Supported"},
        TextCase{"module attributes 0", {{21, 0x00}}, 20, "None"},
        TextCase{"module attributes ignored bits", {{21, 0xC0}}, 20, ""},
        TextCase{"module attributes all",
                 {{21, 0xFF}},
                 20,
                 "Buffered Address and Control Inputs, Registered Address and Control Inputs, "
                 "On-Card PLL(Clock), FET Switch On-Card Enable, FET Switch External Enable, "
                 "Differential Clock Input, "},
        TextCase{"device attributes 0",
                 {{22, 0x00}},
                 21,
                 "Lower Vcc tolerance = 0.2V, Upper Vcc tolerance = 0.2V, "},
        TextCase{"device attributes tolerance bits", {{22, 0x30}}, 21, ""},
        TextCase{"device attributes features",
                 {{22, 0x33}},
                 21,
                 "Includes Weak Driver, Includes QFC Output, "},
        TextCase{"device attributes ignored bits",
                 {{22, 0xCC}},
                 21,
                 "Lower Vcc tolerance = 0.2V, Upper Vcc tolerance = 0.2V, "},
        TextCase{"device attributes lower only",
                 {{22, 0x21}},
                 21,
                 "Includes Weak Driver, Lower Vcc tolerance = 0.2V, "},
        TextCase{"cycle time CLX-0.5 0", {{23, 0}, {18, 0x0C}}, 22, "N/A"},
        TextCase{"access time CLX-0.5 0", {{24, 0}, {18, 0x0C}}, 23, "N/A"},
        TextCase{"cycle time CLX-1 0", {{25, 0}, {18, 0x0C}}, 24, "N/A"},
        TextCase{"access time CLX-1 0", {{26, 0}, {18, 0x0C}}, 25, "N/A"},
        TextCase{"Trp 0", {{27, 0}}, 26, "Undefined"},
        TextCase{"Trrd 0", {{28, 0}}, 27, "Undefined"},
        TextCase{"Trcd 0", {{29, 0}}, 28, "Undefined"},
        TextCase{"Tras 0", {{30, 0}}, 29, "Undefined"},
        TextCase{"Tras 40", {{30, 0x28}}, 29, "Tras = 40ns"},
        TextCase{"Tras 255", {{30, 0xFF}}, 29, "Tras = 255ns"},
        TextCase{"density 0", {{31, 0x00}}, 30, "N/A"},
        TextCase{"density 1GB", {{31, 0x01}}, 30, "Density of physical bank 1 = 1GB"},
        TextCase{"density 2GB", {{31, 0x02}}, 30, "Density of physical bank 1 = 2GB"},
        TextCase{"density 256MB", {{31, 0x40}}, 30, "Density of physical bank 1 = 256MB"},
        TextCase{"density two banks",
                 {{31, 0x60}},
                 30,
                 "Density of physical bank 1 = 256MB, Density of physical bank 2 = 128MB, "},
        TextCase{"density every bit",
                 {{31, 0xFF}},
                 30,
                 "Density of physical bank 1 = 512MB, Density of physical bank 2 = 256MB, "
                 "Density of physical bank 3 = 128MB, Density of physical bank 4 = 64MB, "
                 "Density of physical bank 5 = 32MB, Density of physical bank 6 = 16MB, "
                 "Density of physical bank 7 = 2GB, Density of physical bank 8 = 1GB, "},
        TextCase{"setup 0", {{32, 0}}, 31, " RFU"}, TextCase{"hold 0", {{33, 0}}, 32, " RFU"},
        TextCase{"data setup 0", {{34, 0}}, 33, " RFU"},
        TextCase{"data hold 0", {{35, 0}}, 34, " RFU"},
        TextCase{"revision 0", {{62, 0}}, 35, "None"},
        TextCase{"revision 16", {{62, 0x10}}, 35, "Revision 16"},
        TextCase{"maker Nanya",
                 {{64, 0x7F},
                  {65, 0x7F},
                  {66, 0x7F},
                  {67, 0x0B},
                  {68, 0xFF},
                  {69, 0xFF},
                  {70, 0xFF},
                  {71, 0xFF}},
                 37,
                 "Company Name = Nanya Technology, Bank = 4, Number = 11 (DEC), "
                 "CODE = 7F7F7F0B (HEX)"},
        TextCase{"maker Samsung lists zero bytes",
                 {{64, 0xCE}},
                 37,
                 "Company Name = Samsung, Bank = 1, Number = 78 (DEC), "
                 "CODE = CE00000000000000 (HEX)"},
        TextCase{"maker erased",
                 {{64, 0xFF},
                  {65, 0xFF},
                  {66, 0xFF},
                  {67, 0xFF},
                  {68, 0xFF},
                  {69, 0xFF},
                  {70, 0xFF},
                  {71, 0xFF}},
                 37,
                 "Company Name = Unknown, FFFFFFFFFFFFFFFF (HEX), \"" + kBlanks8 + "\" (ASCII)"},
        TextCase{"maker four continuation codes",
                 {{64, 0x7F}, {65, 0x7F}, {66, 0x7F}, {67, 0x7F}, {68, 0x0B}},
                 37,
                 "Company Name = Unknown, 7F7F7F7F0B000000 (HEX), \"" + kBlanks8 + "\" (ASCII)"},
        TextCase{"maker unplaced shows its characters",
                 {{64, 0xFF}, {65, 'A'}, {66, 'b'}, {67, '%'}, {68, 0x80}, {69, '~'}},
                 37,
                 "Company Name = Unknown, FF416225807E0000 (HEX), \" Ab% ~  \" (ASCII)"},
        TextCase{"maker bank 4 beyond the names",
                 {{64, 0x7F}, {65, 0x7F}, {66, 0x7F}, {67, 0x64}},
                 37,
                 "Company Name = Unknown, Bank = 4, Number = 100 (DEC), "
                 "CODE = 7F7F7F6400000000 (HEX)"},
        TextCase{"maker 7F FF",
                 {{64, 0x7F},
                  {65, 0xFF},
                  {66, 0xFF},
                  {67, 0xFF},
                  {68, 0xFF},
                  {69, 0xFF},
                  {70, 0xFF},
                  {71, 0xFF}},
                 37,
                 "Company Name = Unknown, Bank = 2, Number = 127 (DEC), CODE = 7F (HEX)"},
        TextCase{"maker none whatever follows", {{64, 0x00}, {65, 0xCE}, {66, 0x2C}}, 37, "None"},
        // Number 0 is placed in its bank but has no name.
        TextCase{"maker number 0",
                 {{64, 0x80}},
                 37,
                 "Company Name = Unknown, Bank = 1, Number = 0 (DEC), "
                 "CODE = 8000000000000000 (HEX)"},
        TextCase{"maker continuation code then 0",
                 {{64, 0x7F}},
                 37,
                 "Company Name = Unknown, 7F00000000000000 (HEX), \"" + kBlanks8 + "\" (ASCII)"},
        // The stored name keeps its two-byte quotation mark.
        TextCase{"maker name with 81 66",
                 {{64, 0x7F}, {65, 0x7F}, {66, 0x7F}, {67, 0x3E}, {68, 0xFF}},
                 37,
                 "Company Name = c\x81\x66t Magazine, Bank = 4, Number = 62 (DEC), "
                 "CODE = 7F7F7F3E (HEX)"},
        TextCase{"location 0", {{72, 0x00}}, 38, "00h"},
        TextCase{"location AB", {{72, 0xAB}}, 38, "ABh"},
        TextCase{"part number absent", {{73, 0}, {74, 'A'}, {75, 'B'}}, 39, ""},
        TextCase{"part number padded",
                 {{73, 'A'}, {74, 'B'}, {75, 'C'}},
                 39,
                 "ABC" + std::string(15, ' ')},
        TextCase{"part number unprintable",
                 {{73, 'M'},
                  {74, 0x01},
                  {75, 0x7F},
                  {76, 0x80},
                  {77, 0xFF},
                  {78, 'z'},
                  {79, '~'},
                  {80, ' '},
                  {90, '9'}},
                 39,
                 "M    z~" + std::string(10, ' ') + "9"},
        TextCase{"revision code 0 0", {{91, 0}, {92, 0}}, 40, "N/A"},
        TextCase{"revision code 0 1", {{91, 0x00}, {92, 0x01}}, 40, "00h, 01h"},
        TextCase{"revision code A 1", {{91, 0x0A}, {92, 0x01}}, 40, "0Ah, 01h"},
        TextCase{"date not BCD", {{93, 0x01}, {94, 0x15}}, 41, "Year : 1, Week : 21"},
        TextCase{"date 0", {{93, 0}, {94, 0}}, 41, "Year : 0, Week : 0"},
        TextCase{
            "serial", {{95, 0x12}, {96, 0x34}, {97, 0xAB}, {98, 0x0C}}, 42, "S/N : 1234AB0C (HEX)"},
        TextCase{"maker data 0", {}, 43, std::string(54, '0') + " (HEX)"},
        TextCase{"maker data ends at byte 125",
                 {{99, 0x01}, {125, 0xFE}, {126, 0x55}, {127, 0x66}},
                 43,
                 "01" + std::string(50, '0') + "FE (HEX)"}),
    CaseName<TextCase>);

// ---- fixed-point numbers, with both separators

struct FixedCase {
    const char* what;
    Bytes bytes;
    std::size_t row;
    std::string dot;
    std::string comma;
};

void PrintTo(const FixedCase& c, std::ostream* os) {
    PrintCase(c.what, os);
}

class DDRfmtFixed : public testing::TestWithParam<FixedCase> {};

TEST_P(DDRfmtFixed, UsesTheCallersSeparator) {
    const FixedCase& c = GetParam();
    const SpdImage image = ImageWith(c.bytes);
    EXPECT_EQ(StatusOf(image, c.row, '.'), c.dot) << c.what;
    EXPECT_EQ(StatusOf(image, c.row, ','), c.comma) << c.what;
}

// bytes 9, 10, 18, 23, 25 of a typical PC2100 module
const Bytes kTypical = {{9, 0x75}, {10, 0x75}, {18, 0x0C}, {23, 0xA0}, {25, 0x00}};
// Timing bytes all set, for the latency suffixes alone.
Bytes TimingsWithCas(std::uint8_t cas) {
    return {{9, 0x75}, {10, 0x75}, {23, 0xA0}, {24, 0x80}, {25, 0x50}, {26, 0x90}, {18, cas}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DDRfmtFixed,
    testing::Values(
        // The cycle-time "." is literal; only the latency follows the caller.
        FixedCase{"typical cycle", kTypical, 8, "Tclk = 7.5ns/CL2.5", "Tclk = 7.5ns/CL2,5"},
        FixedCase{"typical access", kTypical, 9, "Tac  = 0.75ns/CL2.5", "Tac  = 0,75ns/CL2,5"},
        FixedCase{"typical CAS list", kTypical, 17, "CAS Latency = 2.5, 2.0, Supported",
                  "CAS Latency = 2,5, 2,0, Supported"},
        FixedCase{"typical CLX-0.5", kTypical, 22, "Tclk = 10.0ns/CL2.0", "Tclk = 10.0ns/CL2,0"},
        FixedCase{"typical CLX-1 absent", kTypical, 24, "N/A", "N/A"},
        FixedCase{"CAS every listed bit",
                  {{18, 0xFF}},
                  17,
                  "CAS Latency = 3.5, 3.0, 2.5, 2.0, 1.5, 1.0, Supported",
                  "CAS Latency = 3,5, 3,0, 2,5, 2,0, 1,5, 1,0, Supported"},
        FixedCase{"access FF carries", {{10, 0xFF}}, 9, "Tac  = 1.65ns", "Tac  = 1,65ns"},
        FixedCase{"access 8F carries", {{10, 0x8F}}, 9, "Tac  = 0.95ns", "Tac  = 0,95ns"},
        FixedCase{"access CLX-0.5 low nibble", {{24, 0x01}}, 23, "Tac  = 0.01ns", "Tac  = 0,01ns"},
        FixedCase{"access CLX-1", {{26, 0x75}}, 25, "Tac  = 0.75ns", "Tac  = 0,75ns"},
        FixedCase{"Trp whole", {{27, 0x50}}, 26, "Trp  = 20.00ns", "Trp  = 20,00ns"},
        FixedCase{"Trp quarters", {{27, 0x4B}}, 26, "Trp  = 18.75ns", "Trp  = 18,75ns"},
        FixedCase{"Trrd a quarter", {{28, 0x01}}, 27, "Trrd = 0.25ns", "Trrd = 0,25ns"},
        FixedCase{"Trcd largest", {{29, 0xFF}}, 28, "Trcd = 63.75ns", "Trcd = 63,75ns"},
        FixedCase{"setup 0.90", {{32, 0x90}}, 31, "0.90ns", "0,90ns"},
        FixedCase{"hold carries", {{33, 0xFF}}, 32, "1.65ns", "1,65ns"},
        FixedCase{"data setup hundredths", {{34, 0x05}}, 33, "0.05ns", "0,05ns"},
        FixedCase{"data hold low nibble carries", {{35, 0x0A}}, 34, "0.10ns", "0,10ns"}),
    CaseName<FixedCase>);

// Byte 18 chooses CLX for the six timing rows: rows 8 and 9 at CLX, 22 and 23
// at CLX - 0.5, 24 and 25 at CLX - 1.
TEST(DDRfmtSuffix, LatencySuffixesFollowTheHighestCasLatency) {
    struct Case {
        std::uint8_t cas;
        const char* at_clx;
        const char* less_half;
        const char* less_one;
    };
    const Case cases[] = {
        {0x00, "", "", ""},
        // Bit 0 and no bit at all among 5 to 1 both give CLX = 1.0.
        {0x01, "/CL1.0", "/CL0.5", "/CL0.0"},
        // Bit 6 (and 7) is not searched.
        {0x40, "/CL1.0", "/CL0.5", "/CL0.0"},
        {0xC0, "/CL1.0", "/CL0.5", "/CL0.0"},
        {0x02, "/CL1.5", "/CL1.0", "/CL0.5"},
        {0x0C, "/CL2.5", "/CL2.0", "/CL1.5"},
        // CLX - 0.5 is shown even where the module does not list it.
        {0x14, "/CL3.0", "/CL2.5", "/CL2.0"},
        {0x7F, "/CL3.5", "/CL3.0", "/CL2.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.cas));
        for (const char separator : {'.', ','}) {
            auto with = [separator](std::string suffix) {
                for (char& ch : suffix)
                    if (ch == '.') ch = separator;
                return suffix;
            };
            TSPD spd;
            DDRfmt_decode(spd, ImageWith(TimingsWithCas(c.cas)), separator);
            const std::string access_half = std::string("Tac  = 0") + separator + "80ns";
            const std::string access_one = std::string("Tac  = 0") + separator + "90ns";
            const std::string access = std::string("Tac  = 0") + separator + "75ns";
            EXPECT_EQ(spd.Row[8]->Status, "Tclk = 7.5ns" + with(c.at_clx));
            EXPECT_EQ(spd.Row[9]->Status, access + with(c.at_clx));
            EXPECT_EQ(spd.Row[22]->Status, "Tclk = 10.0ns" + with(c.less_half));
            EXPECT_EQ(spd.Row[23]->Status, access_half + with(c.less_half));
            EXPECT_EQ(spd.Row[24]->Status, "Tclk = 5.0ns" + with(c.less_one));
            EXPECT_EQ(spd.Row[25]->Status, access_one + with(c.less_one));
        }
    }
}

// The numbers were once computed in 80-bit floating point and printed by
// fixed-point formatting with 7 significant digits. Redo that computation
// here (long double is the same 80-bit type on x86) and compare every value
// each fixed-point rule can produce.
std::string OriginalFixed(long double value, int decimals, char separator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6Le", value);  // 7 significant digits
    long long mantissa = 0;
    const char* p = buf;
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') mantissa = mantissa * 10 + (*p - '0');
    const int exponent = std::atoi(p + 1);
    // value = mantissa x 10^(exponent - 6); bring it to units of 10^-decimals,
    // rounding half away from zero.
    int shift = exponent - 6 + decimals;
    long long units = mantissa;
    for (; shift > 0; --shift) units *= 10;
    for (; shift < 0; ++shift) units = (units + 5) / 10;
    long long scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    char out[64];
    std::snprintf(out, sizeof out, "%lld%c%0*lld", units / scale, separator, decimals,
                  units % scale);
    return out;
}

// The value each fixed-point row computed from its byte, in the original
// arithmetic: hundredths from the two nibbles, or quarters from bits 7 to 2
// and 1 to 0.
long double NibbleHundredthsOf(unsigned b) {
    return ((b >> 4) * 10 + (b & 0x0F)) * 0.01L;
}
long double QuartersOf(unsigned b) {
    return (b >> 2) + (b & 0x03) * 0.25L;
}

TEST(DDRfmtFixedPoint, MatchesExtendedPrecisionArithmeticForEveryByte) {
    struct Row {
        std::size_t byte;
        std::size_t row;
        const char* label;
        long double (*value)(unsigned);
    };
    const Row rows[] = {
        {10, 9, "Tac  = ", NibbleHundredthsOf},  {24, 23, "Tac  = ", NibbleHundredthsOf},
        {26, 25, "Tac  = ", NibbleHundredthsOf}, {27, 26, "Trp  = ", QuartersOf},
        {28, 27, "Trrd = ", QuartersOf},         {29, 28, "Trcd = ", QuartersOf},
        {32, 31, "", NibbleHundredthsOf},        {33, 32, "", NibbleHundredthsOf},
        {34, 33, "", NibbleHundredthsOf},        {35, 34, "", NibbleHundredthsOf},
    };
    for (const char separator : {'.', ','}) {
        for (const Row& r : rows) {
            SCOPED_TRACE(r.byte);
            for (unsigned b = 1; b <= 0xFF; ++b) {
                SCOPED_TRACE(b);
                EXPECT_EQ(
                    StatusOf(ImageWith({{r.byte, static_cast<std::uint8_t>(b)}}), r.row, separator),
                    r.label + OriginalFixed(r.value(b), 2, separator) + "ns");
            }
        }
    }
}

// Every value of byte 18: the CAS latency list and the six latency suffixes,
// with CLX and CLX - d computed as they once were.
TEST(DDRfmtFixedPoint, LatenciesMatchExtendedPrecisionArithmeticForEveryByte18) {
    const long double half = 0.5L;
    const std::string access_time = "Tac  = ";
    for (const char separator : {'.', ','}) {
        const std::string access = access_time + OriginalFixed(0.75L, 2, separator) + "ns";
        for (unsigned cas = 1; cas <= 0xFF; ++cas) {
            SCOPED_TRACE(cas);
            std::string list = "CAS Latency = ";
            for (int bit = 5; bit >= 0; --bit)
                if ((cas >> bit) & 1u) list += OriginalFixed(1 + bit * half, 1, separator) + ", ";
            list += "Supported";
            int i = 5;
            while (i > 0 && ((cas >> i) & 1u) == 0) --i;
            const long double clx = 1 + i * half;
            auto suffix = [&](long double below) {
                return "/CL" + OriginalFixed(clx - below, 1, separator);
            };

            TSPD spd;
            DDRfmt_decode(spd,
                          ImageWith({{9, 0x75},
                                     {10, 0x75},
                                     {18, static_cast<std::uint8_t>(cas)},
                                     {23, 0x75},
                                     {24, 0x75},
                                     {25, 0x75},
                                     {26, 0x75}}),
                          separator);
            EXPECT_EQ(spd.Row[17]->Status, list);
            EXPECT_EQ(spd.Row[8]->Status, "Tclk = 7.5ns" + suffix(0));
            EXPECT_EQ(spd.Row[9]->Status, access + suffix(0));
            EXPECT_EQ(spd.Row[22]->Status, "Tclk = 7.5ns" + suffix(half));
            EXPECT_EQ(spd.Row[23]->Status, access + suffix(half));
            EXPECT_EQ(spd.Row[24]->Status, "Tclk = 7.5ns" + suffix(1.0L));
            EXPECT_EQ(spd.Row[25]->Status, access + suffix(1.0L));
        }
    }
}

// ---- the checksum

// Bytes 36 to 61 have no row of their own, so they set the sum freely.
SpdImage ImageWithSum(unsigned sum, std::uint8_t stored) {
    SpdImage image{};
    image[2] = 7;
    unsigned left = sum - 7;
    for (std::size_t i = 36; i < 62 && left > 0; ++i) {
        const unsigned part = left > 0xFF ? 0xFF : left;
        image[i] = static_cast<std::uint8_t>(part);
        left -= part;
    }
    image[63] = stored;
    return image;
}

TEST(DDRfmtChecksum, ComparesTheLowByteAndShowsTheWholeSum) {
    const std::string tail = " (The low 8-bits of the arithmetic sum of bytes 0 through 62. = ";
    struct Case {
        unsigned sum;
        std::uint8_t stored;
        std::string expected;
    };
    const Case cases[] = {
        {0x1234, 0x34, "The checksum = 34h" + tail + "1234h)"},
        {0x1234, 0x35, "Wrong checksum = 35h" + tail + "1234h)"},
        {0x0A00, 0x00, "None. -OR- The checksum = 00h" + tail + "0A00h)"},
        {0x0A01, 0x00, "None. -OR- Wrong checksum = 00h" + tail + "0A01h)"},
        {0x00FF, 0xFF, "The checksum = FFh" + tail + "00FFh)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sum);
        EXPECT_EQ(StatusOf(ImageWithSum(c.sum, c.stored), 36), c.expected);
    }

    SpdImage full;
    full.fill(0xFF);  // 63 x 255 = 0x3EC1, the largest sum
    full[63] = 0xC1;
    EXPECT_EQ(StatusOf(full, 36), "The checksum = C1h" + tail + "3EC1h)");
}

// ---- the reader across decodes

TEST(DDRfmtDecode, LeavesRows44And45AndAllLabelsAlone) {
    TSPD spd;
    for (auto& row : spd.Row) row->Description = "label";
    spd.Row[44]->Status = "row 44";
    spd.Row[45]->Status = "row 45";
    SpdImage image;
    image.fill(0x5A);
    DDRfmt_decode(spd, image, ',');
    EXPECT_EQ(spd.Row[44]->Status, "row 44");
    EXPECT_EQ(spd.Row[45]->Status, "row 45");
    for (const auto& row : spd.Row) EXPECT_EQ(row->Description, "label");
}

TEST(DDRfmtDecode, SecondImageLeavesNothingOfTheFirst) {
    SpdImage first;
    first.fill(0xFF);
    first[2] = 7;
    const SpdImage second = ImageWith({{0, 0x80}, {24, 0x00}, {73, 0x00}});

    TSPD reused;
    DDRfmt_decode(reused, first);
    DDRfmt_decode(reused, second);
    TSPD fresh;
    DDRfmt_decode(fresh, second);
    for (std::size_t row = 0; row < kShownRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(reused.Row[row]->Status, fresh.Row[row]->Status);
    }
    EXPECT_EQ(reused.Row[23]->Status, "N/A");
    EXPECT_EQ(reused.Row[39]->Status, "");
}

// One reader serves an SDRAM module and then a DDR SDRAM one, as the
// all-slots report does: the DDR labels empty rows 44 and 45, so they drop
// out of view, while their values stay as the SDRAM decode left them.
TEST(DDRfmtDecode, AfterAnSdramDecodeRows44And45KeepTheirTexts) {
    SpdImage sdram{};
    sdram[0] = 0x80;
    sdram[2] = 4;
    sdram[126] = 0x64;
    sdram[127] = 0x06;
    TSPD spd;
    SDRAMfmt_desc(spd);
    SDRAMfmt_decode(spd, sdram);
    const std::string row44 = spd.Row[44]->Status;
    const std::string row45 = spd.Row[45]->Status;
    ASSERT_FALSE(row44.empty());
    ASSERT_FALSE(row45.empty());
    ASSERT_FALSE(spd.Row[44]->Description.empty());

    SpdImage ddr;
    ddr.fill(0x11);
    ddr[2] = 7;
    DDRfmt_desc(spd);
    DDRfmt_decode(spd, ddr, '.');
    EXPECT_EQ(spd.Row[44]->Description, "");
    EXPECT_EQ(spd.Row[45]->Description, "");
    EXPECT_EQ(spd.Row[44]->Status, row44);
    EXPECT_EQ(spd.Row[45]->Status, row45);
    EXPECT_EQ(spd.Row[2]->Status, "DDR SDRAM");
}

// ---- every byte value

TEST(DDRfmtDecode, EveryUniformImageDecodesWithinBytes0To127) {
    TSPD reused;
    for (unsigned v = 0; v <= 0xFF; ++v) {
        SCOPED_TRACE(v);
        // Two different guards beyond byte 127: the rows must not see them.
        SpdImage low;
        SpdImage high;
        low.fill(0x00);
        high.fill(0xFF);
        for (std::size_t i = 0; i < kSpdBytesUsed; ++i) {
            low[i] = static_cast<std::uint8_t>(v);
            high[i] = static_cast<std::uint8_t>(v);
        }
        const SpdImage low_before = low;
        const SpdImage high_before = high;

        TSPD a;
        TSPD b;
        DDRfmt_decode(a, low, ',');
        DDRfmt_decode(b, high, ',');
        DDRfmt_decode(reused, high, ',');
        EXPECT_EQ(low, low_before);
        EXPECT_EQ(high, high_before);
        for (std::size_t row = 0; row < kShownRows; ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(a.Row[row]->Status, b.Row[row]->Status);
            EXPECT_EQ(reused.Row[row]->Status, b.Row[row]->Status);
            // No control characters or code-page bytes come from the image.
            for (const char ch : a.Row[row]->Status) {
                const auto u = static_cast<unsigned char>(ch);
                EXPECT_TRUE(u >= 0x20 && u <= 0x7E) << static_cast<int>(u);
            }
        }
        EXPECT_EQ(a.Row[44]->Status, "");
        EXPECT_EQ(a.Row[45]->Status, "");
    }
}

// Each byte alone set to each value, with two different guards beyond byte
// 127: the rows come out the same, with no control characters in them.
TEST(DDRfmtDecode, EveryValueOfEveryByteDecodesWithinBytes0To127) {
    for (unsigned v = 0; v <= 0xFF; ++v) {
        for (std::size_t at = 0; at < kSpdBytesUsed; ++at) {
            SpdImage low = ImageWith({{at, static_cast<std::uint8_t>(v)}});
            SpdImage high = low;
            for (std::size_t i = kSpdBytesUsed; i < high.size(); ++i) high[i] = 0xFF;
            TSPD a;
            TSPD b;
            DDRfmt_decode(a, low, ',');
            DDRfmt_decode(b, high, ',');
            for (std::size_t row = 0; row < kShownRows; ++row) {
                const std::string& text = a.Row[row]->Status;
                ASSERT_EQ(text, b.Row[row]->Status)
                    << "byte " << at << " = " << v << ", row " << row;
                for (const char ch : text) {
                    const auto u = static_cast<unsigned char>(ch);
                    ASSERT_TRUE(u >= 0x20 && u != 0x7F) << "byte " << at << " = " << v << ", row "
                                                        << row << " holds " << unsigned(u);
                }
            }
        }
    }
}

// ---- a real module

SpdImage LoadSample(const std::string& name) {
    SpdImage image{};
    std::ifstream in(std::string(YNVEX_TEST_DATA) + "/ddr/" + name, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.size(), kSpdBytesUsed) << name;
    for (std::size_t i = 0; i < bytes.size() && i < kSpdBytesUsed; ++i)
        image[i] = static_cast<std::uint8_t>(bytes[i]);
    return image;
}

// A 512MB PC3200 CL3 unbuffered ECC module (Infineon HYS72D64320HU-5-C).
// Every value below is read off its bytes by the layout.
TEST(DDRfmtDecode, RealEccModule) {
    const SpdImage image = LoadSample("infineon-hys72d64320hu-5-c-ecc-512mb.bin");
    ASSERT_EQ(image[2], 7);
    struct Row {
        std::string dot;
        std::string comma;  // empty: the same as with "."
    };
    const Row expected[kShownRows] = {
        /* 0  80    */ {"128 bytes used", ""},
        /* 1  08    */ {"256 bytes", ""},
        /* 2  07    */ {"DDR SDRAM", ""},
        /* 3  0D    */ {"13 row address bits", ""},
        /* 4  0A    */ {"10 column address bits", ""},
        /* 5  02    */ {"2 rows", ""},
        /* 6  48 00 */ {"x72", ""},
        /* 7  04    */ {"SSTL 2.5", ""},
        // byte 18 = 1C: CL 3.0, 2.5 and 2.0, so CLX = 3.0
        /* 8  50    */ {"Tclk = 5.0ns/CL3.0", "Tclk = 5.0ns/CL3,0"},
        /* 9  50    */ {"Tac  = 0.50ns/CL3.0", "Tac  = 0,50ns/CL3,0"},
        /* 10 02    */ {"ECC", ""},
        /* 11 82    */ {"Reduced (.5x)...7.8us/Self Refresh", ""},
        /* 12 08    */
        {"x8 (No Physical Bank 2 or Bank 2 uses same width SDRAM as Physical Bank 1)", ""},
        /* 13 08    */
        {"x8 (No Physical Bank 2 or Bank 2 uses same width EC SDRAM as Physical Bank 1)", ""},
        /* 14 01    */ {"Tccd = 1 clock", ""},
        /* 15 0E    */ {"Burst length = 2, 4, 8, Supported", ""},
        /* 16 04    */ {"4 banks", ""},
        /* 17 1C    */
        {"CAS Latency = 3.0, 2.5, 2.0, Supported", "CAS Latency = 3,0, 2,5, 2,0, Supported"},
        /* 18 01    */ {"CS  Latency = 0, Supported", ""},
        /* 19 02    */ {"WE  Latency = 1, Supported", ""},
        /* 20 20    */ {"Differential Clock Input, ", ""},
        /* 21 C1    */
        {"Includes Weak Driver, Lower Vcc tolerance = 0.2V, Upper Vcc tolerance = 0.2V, ", ""},
        /* 22 60    */ {"Tclk = 6.0ns/CL2.5", "Tclk = 6.0ns/CL2,5"},
        /* 23 50    */ {"Tac  = 0.50ns/CL2.5", "Tac  = 0,50ns/CL2,5"},
        /* 24 75    */ {"Tclk = 7.5ns/CL2.0", "Tclk = 7.5ns/CL2,0"},
        /* 25 50    */ {"Tac  = 0.50ns/CL2.0", "Tac  = 0,50ns/CL2,0"},
        /* 26 3C    */ {"Trp  = 15.00ns", "Trp  = 15,00ns"},
        /* 27 28    */ {"Trrd = 10.00ns", "Trrd = 10,00ns"},
        /* 28 3C    */ {"Trcd = 15.00ns", "Trcd = 15,00ns"},
        /* 29 28    */ {"Tras = 40ns", ""},
        /* 30 40    */ {"Density of physical bank 1 = 256MB", ""},
        /* 31 60    */ {"0.60ns", "0,60ns"},
        /* 32 60    */ {"0.60ns", "0,60ns"},
        /* 33 40    */ {"0.40ns", "0,40ns"},
        /* 34 40    */ {"0.40ns", "0,40ns"},
        /* 35 00    */ {"None", ""},
        /* 36 10    */
        {"The checksum = 10h (The low 8-bits of the arithmetic sum of bytes 0 through 62. = "
         "0810h)",
         ""},
        /* 37 C1 00.. */
        {"Company Name = Infineon (formerly Siemens), Bank = 1, Number = 65 (DEC), "
         "CODE = C100000000000000 (HEX)",
         ""},
        /* 38 45    */ {"45h", ""},
        /* 39       */ {"72D64320HU5C      ", ""},
        /* 40 02 4C */ {"02h, 4Ch", ""},
        /* 41 05 44 */ {"Year : 5, Week : 68", ""},
        /* 42       */ {"S/N : 01085626 (HEX)", ""},
        /* 43       */ {std::string(54, '0') + " (HEX)", ""},
    };
    TSPD dot;
    TSPD comma;
    DDRfmt_decode(dot, image, '.');
    DDRfmt_decode(comma, image, ',');
    for (std::size_t row = 0; row < kShownRows; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(dot.Row[row]->Status, expected[row].dot);
        EXPECT_EQ(comma.Row[row]->Status,
                  expected[row].comma.empty() ? expected[row].dot : expected[row].comma);
    }
}

}  // namespace
}  // namespace ynvex
