#include "decode/Ufmt_sdram.h"

#include <array>
#include <bit>
#include <string>
#include <string_view>

#include "decode/Ufmt_common.h"
#include "spd/Uspdstr.h"

namespace ynvex {

namespace {

// Byte 18 lists the supported CAS latencies, bit n for latency n + 1; the
// cycle and access time rows name the latency they belong to from it.
constexpr std::size_t kCasLatencyByte = 18;

// --- Value tables ------------------------------------------------------------

constexpr std::array<CodeText, 6> kInterfaceLevels = {{
    {0, "5.0 Volt/TTL"},
    {1, "LVTTL"},
    {2, "HSTL 1.5"},
    {3, "SSTL 3.3"},
    {4, "SSTL 2.5"},
    {255, "New Table"},
}};

constexpr std::array<CodeText, 3> kConfigurations = {{
    {0, "Non-Parity, Non-ECC"},
    {1, "Parity"},
    {2, "ECC"},
}};

constexpr std::array<CodeText, 6> kRefreshRates = {{
    {0, "15.625us"},
    {1, "3.9us"},
    {2, "7.8us"},
    {3, "31.3us"},
    {4, "62.5us"},
    {5, "125us"},
}};

constexpr std::array<BitText, 7> kModuleAttributes = {{
    {0, "Buffered Address/Control Inputs, "},
    {1, "Registered Address/Control Inputs, "},
    {2, "On-Card PLL(Clock), "},
    {3, "Buffered DQMB Inputs, "},
    {4, "Registered DQMB Inputs, "},
    {5, "Differential Clock Input, "},
    {6, "Redundant Row Address"},
}};

constexpr std::array<BitText, 4> kDeviceAttributes = {{
    {0, "Early RAS# Precharge, "},
    {1, "Auto-Precharge, "},
    {2, "Precharge All, "},
    {3, "Write 1/Read Burst, "},
}};

// Byte 126, Intel's frequency code.
constexpr std::array<CodeText, 2> kIntelFrequencies = {{
    {100, "100MHz"},
    {102, "66MHz"},
}};

// Byte 127, bits 7 to 4: the clock inputs the module connects.
constexpr std::array<BitText, 4> kIntelClocks = {{
    {7, "CLK0 "},
    {6, "CLK1 "},
    {5, "CLK2 "},
    {4, "CLK3 "},
}};

// --- Time formats --------------------------------------------------------------

// Bits 7 to 2 whole nanoseconds, bits 1 and 0 quarters: "10.0ns", "10.25ns".
std::string QuartersNs(std::uint8_t b) {
    return Decimal(b >> 2) + "." + Decimal((b & 0x03u) * 25u) + "ns";
}

// --- The latency scan and its three suffixes ------------------------------------

// From bit position i of byte 18 down to the next set bit; stops at 0 whether
// bit 0 is set or not.
int ScanLatencies(std::uint8_t cas, int i) {
    while (i > 0 && !BitSet(cas, i)) --i;
    return i;
}

constexpr int kHighestLatencyBit = 7;  // bit 7 (CL8) counts in the scans

std::string LatencySuffix(std::uint8_t cas, int position) {
    if (!BitSet(cas, position)) return std::string();
    return "/CL" + Decimal(position + 1);
}

std::string HighestLatencySuffix(std::uint8_t cas) {
    return "/CL" + Decimal(ScanLatencies(cas, kHighestLatencyBit) + 1);
}

std::string SecondLatencySuffix(std::uint8_t cas) {
    const int i = ScanLatencies(cas, kHighestLatencyBit) - 1;
    if (i <= 0) return std::string();
    return LatencySuffix(cas, ScanLatencies(cas, i));
}

std::string ThirdLatencySuffix(std::uint8_t cas) {
    int i = ScanLatencies(cas, kHighestLatencyBit) - 1;
    if (i > 0) i = ScanLatencies(cas, i);
    --i;
    if (i < 0) return std::string();
    return LatencySuffix(cas, ScanLatencies(cas, i));
}

using TimeFormat = std::string (*)(std::uint8_t);
using SuffixRule = std::string (*)(std::uint8_t);

// A cycle or access time at one of the CAS latencies of byte 18: the label,
// the time, and the latency, which a module listing no latency leaves out.
std::string LatencyTimeText(const SpdImage& image, std::size_t byte, std::string_view label,
                            TimeFormat format, SuffixRule suffix) {
    const std::uint8_t b = image[byte];
    if (b == 0) return strNA;
    std::string text = std::string(label) + format(b);
    const std::uint8_t cas = image[kCasLatencyByte];
    if (cas != 0) text += suffix(cas);
    return text;
}

// --- Rows of bytes 0 to 35 -------------------------------------------------------

// The latency lists: byte 18 bit n is CAS latency n + 1, bytes 19 and 20 bit n
// is CS or WE latency n.
std::string CasLatencyOfBit(int bit) {
    return Decimal(bit + 1);
}
std::string LatencyOfBit(int bit) {
    return Decimal(bit);
}
// Bit 7 of byte 18 (CL8) is not listed, though the time rows' scan counts it.
constexpr int kListedCasBit = 6;
constexpr int kListedCsWeBit = 7;

// Bytes 27 to 30: whole nanoseconds.
std::string NsText(std::string_view label, std::uint8_t b) {
    if (b == 0) return strUndefined;
    return std::string(label) + Decimal(b) + "ns";
}

std::string ModuleAttributesText(std::uint8_t b) {
    if (b == 0) return "Unbuffered";
    return SetBitTexts(b, kModuleAttributes);
}

std::string DeviceAttributesText(std::uint8_t b) {
    std::string text = SetBitTexts(b, kDeviceAttributes);
    if (b != 0) text += "Supported  ";
    text += "Lower Vcc tolerance = ";
    text += BitSet(b, 4) ? "5%" : "10%";
    text += ", Upper Vcc tolerance = ";
    text += BitSet(b, 5) ? "5%" : "10%";
    return text;
}

// Byte 31: bit n is a module row of 4 MB << n; several rows are numbered from
// the largest down.
std::string RowDensityText(std::uint8_t b) {
    auto megabytes = [](int bit) { return Decimal(4u << bit) + "MB"; };
    if (b == 0) return strNA;
    if (std::popcount(b) == 1) return "Row  = " + megabytes(std::countr_zero(b));
    std::string text;
    int row = 0;
    for (int bit = 7; bit >= 0; --bit) {
        if (BitSet(b, bit)) text += "Row" + Decimal(++row) + " = " + megabytes(bit) + ", ";
    }
    return text;
}

// Bytes 32 to 35: bit 7 the sign, bits 6 to 4 whole and bits 3 to 0 tenths of
// a nanosecond; tenths of 10 and more are reserved.
std::string SetupHoldText(std::uint8_t b) {
    if (LowNibble(b) >= 10) return strRFU;
    const std::string sign = BitSet(b, 7) ? "-" : "";
    return sign + Decimal((b >> 4) & 0x07u) + "." + Decimal(LowNibble(b)) + "ns";
}

// --- Rows of bytes 62 to 127 -----------------------------------------------------

std::string SpdRevisionText(std::uint8_t b) {
    if (b == 0) return strNone;
    return "Rev." + Decimal(HighNibble(b)) + "." + Decimal(LowNibble(b));
}

std::string IntelFrequencyText(std::uint8_t b) {
    return TextForCode(kIntelFrequencies, b, strNA);
}

std::string Intel100MHzText(std::uint8_t b) {
    if (b == 0) return strNA;
    std::string text = SetBitTexts(b, kIntelClocks);
    const int clocks = std::popcount(static_cast<unsigned>(b & 0xF0u));
    if (clocks != 0) text += "(" + Decimal(clocks) + "clock)Connected, ";
    text += "Junction Temp : ";
    text += BitSet(b, 3) ? "100C, " : "90C, ";
    text += (BitSet(b, 2) && BitSet(b, 1)) ? "CL2 " : "CL3 ";
    text += "Supported, ";
    if (BitSet(b, 0)) text += "Intel defined Concurrent Auto-precharge Supported";
    return text;
}

// --- The row table ------------------------------------------------------------

// Each row of the reader, in display order: its label, and the rule that
// builds its Status afresh from the image.
struct SdramRow {
    const char* description;
    std::string (*status)(const SpdImage& image);
};

using Image = SpdImage;  // keeps the rules below on one line each

constexpr std::array<SdramRow, kSpdRows> kRows = {{
    {"BYTE   0 [00h] : Number of Bytes used by Module Manufacturer (General)",
     [](const Image& m) { return BytesUsedText(m[0]); }},
    {"BYTE   1 [01h] : Total SPD Memory Size (General)",
     [](const Image& m) { return SpdSizeText(m[1]); }},
    {"BYTE   2 [02h] : Memory Type (General)", [](const Image& m) { return MemoryTypeText(m[2]); }},
    {"BYTE   3 [03h] : Number of Row Address Bits (SDRAM specific)",
     [](const Image& m) { return AddressBitsText(m[3], " row address bits"); }},
    {"BYTE   4 [04h] : Number of Column Address Bits (SDRAM specific)",
     [](const Image& m) { return AddressBitsText(m[4], " column address bits"); }},
    {"BYTE   5 [05h] : Number of Module Rows", [](const Image& m) { return ModuleRowsText(m[5]); }},
    {"BYTE 6-7 [06-07h] : Module Data Width",
     [](const Image& m) { return DataWidthText(m[6], m[7]); }},
    {"BYTE   8 [08h] : Module Interface Signal Levels",
     [](const Image& m) { return TextForCode(kInterfaceLevels, m[8]); }},
    {"BYTE   9 [09h] : SDRAM Cycle time (highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 9, "Tclk = ", TenthsNs, HighestLatencySuffix);
     }},
    {"BYTE  10 [0Ah] : SDRAM Access time from Clock (highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 10, "Tac  = ", TenthsNs, HighestLatencySuffix);
     }},
    {"BYTE  11 [0Bh] : Module Configuration Type",
     [](const Image& m) { return TextForCode(kConfigurations, m[11]); }},
    {"BYTE  12 [0Ch] : Refresh Rate/Type",
     [](const Image& m) { return RefreshText(m[12], kRefreshRates); }},
    {"BYTE  13 [0Dh] : SDRAM Width (Primary SDRAM)",
     [](const Image& m) {
         return DeviceWidthText(m[13], " (Bank2 Primary SDRAM is 2X the width of Bank1)",
                                " (No Bank2 -OR- Bank2 uses same width Primary SDRAM as Bank1)");
     }},
    {"BYTE  14 [0Eh] : Error Checking SDRAM Width",
     [](const Image& m) {
         return DeviceWidthText(m[14], " (Bank2 EC SDRAM is 2X the width of Bank1)",
                                " (No Bank2 -OR- Bank2 uses same width EC SDRAM as Bank1)");
     }},
    {"BYTE  15 [0Fh] : SDRAM Device Attributes, Min Clock Delay for Back to Back Random Column "
     "Addresses",
     [](const Image& m) { return TccdText(m[15]); }},
    {"BYTE  16 [10h] : SDRAM Device Attributes, Burst Lengths Supported",
     [](const Image& m) { return BurstLengthText(m[16]); }},
    {"BYTE  17 [11h] : SDRAM Device Attributes, Number of Banks on SDRAM Device",
     [](const Image& m) { return DeviceBanksText(m[17]); }},
    {"BYTE  18 [12h] : SDRAM Device Attributes, CAS Latency",
     [](const Image& m) {
         return LatencyListText("CAS Latency = ", m[18], kListedCasBit, CasLatencyOfBit);
     }},
    {"BYTE  19 [13h] : SDRAM Device Attributes, CS Latency",
     [](const Image& m) {
         return LatencyListText("CS  Latency = ", m[19], kListedCsWeBit, LatencyOfBit);
     }},
    {"BYTE  20 [14h] : SDRAM Device Attributes, WE Latency",
     [](const Image& m) {
         return LatencyListText("WE  Latency = ", m[20], kListedCsWeBit, LatencyOfBit);
     }},
    {"BYTE  21 [15h] : SDRAM Module Attributes",
     [](const Image& m) { return ModuleAttributesText(m[21]); }},
    {"BYTE  22 [16h] : SDRAM Device Attributes, General",
     [](const Image& m) { return DeviceAttributesText(m[22]); }},
    {"BYTE  23 [17h] : SDRAM Cycle time (2nd highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 23, "Tclk = ", TenthsNs, SecondLatencySuffix);
     }},
    {"BYTE  24 [18h] : SDRAM Access from Clock (2nd highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 24, "Tac  = ", TenthsNs, SecondLatencySuffix);
     }},
    {"BYTE  25 [19h] : SDRAM Cycle time (3rd highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 25, "Tclk = ", QuartersNs, ThirdLatencySuffix);
     }},
    {"BYTE  26 [1Ah] : SDRAM Access from Clock (3rd highest CAS latency)",
     [](const Image& m) {
         return LatencyTimeText(m, 26, "Tac  = ", QuartersNs, ThirdLatencySuffix);
     }},
    {"BYTE  27 [1Bh] : Minimum Row Precharge Time",
     [](const Image& m) { return NsText("Trp  = ", m[27]); }},
    {"BYTE  28 [1Ch] : Row Active to Row Active Min",
     [](const Image& m) { return NsText("Trrd = ", m[28]); }},
    {"BYTE  29 [1Dh] : RAS to CAS Delay Min",
     [](const Image& m) { return NsText("Trcd = ", m[29]); }},
    {"BYTE  30 [1Eh] : Minimum RAS Pulse Width",
     [](const Image& m) { return NsText("Tras = ", m[30]); }},
    {"BYTE  31 [1Fh] : Density of Each Row on Module",
     [](const Image& m) { return RowDensityText(m[31]); }},
    {"BYTE  32 [20h] : Command and Address signal input setup time",
     [](const Image& m) { return SetupHoldText(m[32]); }},
    {"BYTE  33 [21h] : Command and Address signal input hold time",
     [](const Image& m) { return SetupHoldText(m[33]); }},
    {"BYTE  34 [22h] : Data signal input setup time",
     [](const Image& m) { return SetupHoldText(m[34]); }},
    {"BYTE  35 [23h] : Data signal input hold time",
     [](const Image& m) { return SetupHoldText(m[35]); }},
    // Bytes 36 to 61 are not shown; they count only in the checksum.
    {"BYTE  62 [3Eh] : SPD Data Revision Code",
     [](const Image& m) { return SpdRevisionText(m[62]); }},
    {"BYTE  63 [3Fh] : Checksum for Bytes 0-62", ChecksumText},
    {"BYTE 64-71 [40-47h] : Manufacturer's JEDEC ID Code", ManufacturerText},
    {"BYTE  72 [48h] : Manufacturing Location", LocationText},
    {"BYTE 73-90 [49-5Ah] : Manufacturer's Part Number", PartNumberText},
    {"BYTE 91-92 [5B-5Ch] : Revision Code", RevisionCodeText},
    {"BYTE 93-94 [5D-5Eh] : Manufacturing Date", ManufacturingDateText},
    {"BYTE 95-98 [5F-62h] : Assembly Serial Number", SerialNumberText},
    {"BYTE 99-125 [63-7Dh] : Manufacturer Specific Data", ManufacturerDataText},
    {"BYTE 126 [7Eh] : Intel specification for frequency",
     [](const Image& m) { return IntelFrequencyText(m[126]); }},
    {"BYTE 127 [7Fh] : Intel Specification details for 100MHz Support",
     [](const Image& m) { return Intel100MHzText(m[127]); }},
}};

}  // namespace

void SDRAMfmt_desc(TSPD& spd) {
    for (std::size_t i = 0; i < kRows.size(); ++i) spd.Row[i]->Description = kRows[i].description;
}

void SDRAMfmt_decode(TSPD& spd, const SpdImage& image) {
    for (std::size_t i = 0; i < kRows.size(); ++i) spd.Row[i]->Status = kRows[i].status(image);
}

}  // namespace ynvex
