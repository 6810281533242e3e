#include "decode/Ufmt_ddrsdram.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "decode/Ufmt_common.h"
#include "spd/Uspdstr.h"

namespace ynvex {
namespace {

// Rows 0 to 43 show SPD bytes; rows 44 and 45 have no DDR SDRAM field and
// keep an empty label, so the consumers leave them out.
constexpr std::size_t kDecodedRows = 44;

// The apostrophe of "Manufacturer's" is stored as 0x81 0x66, the Shift-JIS
// right single quotation mark, exactly as the labels have always read.
constexpr std::array<const char*, kSpdRows> kRowDescriptions = {
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
    "BYTE  15 [0Fh] : SDRAM Device Attributes: Minimum Clock Delay, Back-to-Back Random Column "
    "Access",
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
    "BYTE 64-71 [40-47h] : Manufacturer\x81\x66"
    "s JEDEC ID Code",
    "BYTE  72 [48h] : Module Manufacturing Location",
    "BYTE 73-90 [49-5Ah] : Module Part Number",
    "BYTE 91-92 [5B-5Ch] : Module Revision Code",
    "BYTE 93-94 [5D-5Eh] : Module Manufacturing Date",
    "BYTE 95-98 [5F-62h] : Module Serial Number",
    "BYTE 99-125 [63-7Dh] : Manufacturer\x81\x66"
    "s Specific Data",
    "",
    "",
};

// Byte offsets of the DDR SDRAM SPD layout that only this decoder reads; the
// manufacturer's block (63 to 125) is laid out as in every SPD.
constexpr std::size_t kBytesUsed = 0;
constexpr std::size_t kSpdSizeLog2 = 1;
constexpr std::size_t kMemoryType = 2;
constexpr std::size_t kRowAddressBits = 3;
constexpr std::size_t kColumnAddressBits = 4;
constexpr std::size_t kPhysicalBanks = 5;
constexpr std::size_t kDataWidthLow = 6;
constexpr std::size_t kDataWidthHigh = 7;
constexpr std::size_t kVoltageLevel = 8;
constexpr std::size_t kCycleTimeClx = 9;
constexpr std::size_t kAccessTimeClx = 10;
constexpr std::size_t kConfigType = 11;
constexpr std::size_t kRefresh = 12;
constexpr std::size_t kPrimaryWidth = 13;
constexpr std::size_t kErrorCheckingWidth = 14;
constexpr std::size_t kClockDelay = 15;
constexpr std::size_t kBurstLengths = 16;
constexpr std::size_t kDeviceBanks = 17;
constexpr std::size_t kCasLatencies = 18;
constexpr std::size_t kCsLatencies = 19;
constexpr std::size_t kWriteLatencies = 20;
constexpr std::size_t kModuleAttributes = 21;
constexpr std::size_t kDeviceAttributes = 22;
constexpr std::size_t kCycleTimeClxHalf = 23;
constexpr std::size_t kAccessTimeClxHalf = 24;
constexpr std::size_t kCycleTimeClxOne = 25;
constexpr std::size_t kAccessTimeClxOne = 26;
constexpr std::size_t kTrp = 27;
constexpr std::size_t kTrrd = 28;
constexpr std::size_t kTrcd = 29;
constexpr std::size_t kTras = 30;
constexpr std::size_t kBankDensity = 31;
constexpr std::size_t kAddressSetup = 32;
constexpr std::size_t kAddressHold = 33;
constexpr std::size_t kDataSetup = 34;
constexpr std::size_t kDataHold = 35;
constexpr std::size_t kSpdRevision = 62;

struct Input {
    const SpdImage& image;
    char separator;

    std::uint8_t operator[](std::size_t offset) const { return image[offset]; }
};

// A fixed-point number with `decimals` digits after the separator, given as
// a count of units of 10^-decimals (tenths or hundredths).
//
// The texts these numbers reproduce came from binary floating-point
// arithmetic on the 80-bit extended type, printed by fixed-point formatting
// at a precision of 7 significant digits with n decimals. Every value this
// decoder prints is an exact multiple of 10^-n: hundredths k/100 with k up to
// 15 x 10 + 15 = 165, quarters up to 63.75, and halves from 0.0 to 3.5. In
// the float arithmetic the quarters and halves are exact; the hundredths are
// not, because 0.01 has no binary form: as an extended it is
// 0.009999999999999999999797, and 165 x 0.01 comes out as
// 1.649999999999999999978 (95 x 0.01 as 0.949999999999999999989). That error,
// below 1e-19, lies a dozen orders of magnitude under the half unit of the
// 7th significant digit, so the precision-7 rounding gives back 1.650000 and
// 0.9500000 exactly, and two decimals then print "1.65" and "0.95" with no
// further rounding; no value is near a tie, so rounding once or twice is the
// same. (Truncating instead of rounding would have given "1.64"; a double
// would have held 1.6500000000000001 and printed the same digits.) No value
// reaches the 7 integer digits at which that formatting switches to exponent
// form. Counting the units in integers therefore yields the same digits for
// every input, with no float arithmetic and no locale involved.
std::string FixedPoint(unsigned units, int decimals, char separator) {
    unsigned scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    std::string text = Decimal(units / scale);
    text += separator;
    const std::string fraction = Decimal(units % scale);
    text.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
    return text + fraction;
}

// ---- tables of texts

// Code 4 has always read without the unit; only 255 carries it.
constexpr CodeText kVoltageLevels[] = {
    {0, "TTL/5V tolerant"}, {1, "LVTTL (not 5V tolerant)"},
    {2, "HSTL 1.5 V"},      {3, "SSTL 3.3 V"},
    {4, "SSTL 2.5"},        {255, "SSTL 2.5 V"},
};

constexpr CodeText kConfigTypes[] = {
    {0, "Non-Parity, Non-ECC"},
    {1, "Parity"},
    {2, "ECC"},
};

// Chosen by bits 6 to 0 of byte 12.
constexpr CodeText kRefreshRates[] = {
    {0, "Normal (15.625 us)"},     {1, "Reduced (.25x)...3.9us"}, {2, "Reduced (.5x)...7.8us"},
    {3, "Extended (2x)...31.3us"}, {4, "Extended (4x)...62.5us"}, {5, "Extended (8x)...125us"},
};

constexpr BitText kModuleAttributeTexts[] = {
    {0, "Buffered Address and Control Inputs, "},
    {1, "Registered Address and Control Inputs, "},
    {2, "On-Card PLL(Clock), "},
    {3, "FET Switch On-Card Enable, "},
    {4, "FET Switch External Enable, "},
    {5, "Differential Clock Input, "},
};

constexpr BitText kDeviceFeatureTexts[] = {
    {0, "Includes Weak Driver, "},
    {1, "Includes QFC Output, "},
};
// Bits 4 and 5 are set when the tighter Vcc tolerance does NOT apply, so
// these texts belong to the bits being clear.
constexpr BitText kVccToleranceTexts[] = {
    {4, "Lower Vcc tolerance = 0.2V, "},
    {5, "Upper Vcc tolerance = 0.2V, "},
};

// Indexed by bit of byte 31: bits 1 and 0 are the sizes above 512MB.
constexpr std::array<const char*, 8> kBankDensities = {
    "1GB", "2GB", "16MB", "32MB", "64MB", "128MB", "256MB", "512MB",
};

// ---- CAS latencies (byte 18)

// Bit b of byte 18 stands for CAS latency 1 + b x 0.5, here in tenths.
unsigned CasLatencyTenths(int bit) {
    return 10 + 5 * static_cast<unsigned>(bit);
}

constexpr int kHighestCasBit = 5;  // CL 3.5; bits 6 and 7 are not looked at

// How far below CLX, the highest CAS latency, a timing row is specified.
constexpr unsigned kAtClx = 0;
constexpr unsigned kAtClxLessHalf = 5;  // tenths
constexpr unsigned kAtClxLessOne = 10;

// The latency suffix of a timing row: CLX less `below_tenths`. The search
// stops at bit 1, so a byte with none of bits 5 to 1 set gives CLX = 1.0
// whether or not bit 0 is set.
std::string LatencySuffix(const Input& in, unsigned below_tenths) {
    const std::uint8_t cas = in[kCasLatencies];
    if (cas == 0) return {};
    int i = kHighestCasBit;
    while (i > 0 && !BitSet(cas, i)) --i;
    return "/CL" + FixedPoint(CasLatencyTenths(i) - below_tenths, 1, in.separator);
}

// ---- value rules

std::string CycleTime(const Input& in, std::size_t offset, unsigned below_tenths) {
    const std::uint8_t b = in[offset];
    if (b == 0) return strNA;
    return "Tclk = " + TenthsNs(b) + LatencySuffix(in, below_tenths);
}

// High nibble tenths, low nibble hundredths of a nanosecond; a low nibble of
// 10 to 15 carries into the tenths.
unsigned NibbleHundredths(std::uint8_t b) {
    return HighNibble(b) * 10u + LowNibble(b);
}

std::string AccessTime(const Input& in, std::size_t offset, unsigned below_tenths) {
    const std::uint8_t b = in[offset];
    if (b == 0) return strNA;
    return "Tac  = " + FixedPoint(NibbleHundredths(b), 2, in.separator) + "ns" +
           LatencySuffix(in, below_tenths);
}

// Bits 7 to 2 whole nanoseconds, bits 1 and 0 quarters.
std::string QuarterNs(const Input& in, std::size_t offset, const char* label) {
    const std::uint8_t b = in[offset];
    if (b == 0) return strUndefined;
    const unsigned hundredths = (b >> 2) * 100u + (b & 0x03u) * 25u;
    return label + FixedPoint(hundredths, 2, in.separator) + "ns";
}

std::string SetupHold(const Input& in, std::size_t offset) {
    const std::uint8_t b = in[offset];
    if (b == 0) return strRFU;
    return FixedPoint(NibbleHundredths(b), 2, in.separator) + "ns";
}

std::string BankDensity(const Input& in) {
    const std::uint8_t b = in[kBankDensity];
    if (b == 0) return strNA;
    const std::string label = "Density of physical bank ";
    if (std::popcount(b) == 1) return label + "1 = " + kBankDensities[std::countr_zero(b)];
    // Banks of different sizes: one entry per set bit, largest code first.
    std::string text;
    int bank = 0;
    for (int bit = 7; bit >= 0; --bit) {
        if (BitSet(b, bit)) text += label + Decimal(++bank) + " = " + kBankDensities[bit] + ", ";
    }
    return text;
}

using RowRule = std::string (*)(const Input&);

// One rule per row, in row order; each builds the row's whole Status.
constexpr std::array<RowRule, kDecodedRows> kRowRules = {
    // 0
    [](const Input& in) { return BytesUsedText(in[kBytesUsed]); },
    [](const Input& in) { return SpdSizeText(in[kSpdSizeLog2]); },
    [](const Input& in) { return MemoryTypeText(in[kMemoryType]); },
    [](const Input& in) { return AddressBitsText(in[kRowAddressBits], " row address bits"); },
    [](const Input& in) { return AddressBitsText(in[kColumnAddressBits], " column address bits"); },
    // 5
    [](const Input& in) { return ModuleRowsText(in[kPhysicalBanks]); },
    [](const Input& in) { return DataWidthText(in[kDataWidthLow], in[kDataWidthHigh]); },
    [](const Input& in) { return TextForCode(kVoltageLevels, in[kVoltageLevel]); },
    [](const Input& in) { return CycleTime(in, kCycleTimeClx, kAtClx); },
    [](const Input& in) { return AccessTime(in, kAccessTimeClx, kAtClx); },
    // 10
    [](const Input& in) { return TextForCode(kConfigTypes, in[kConfigType]); },
    [](const Input& in) { return RefreshText(in[kRefresh], kRefreshRates); },
    [](const Input& in) {
        return DeviceWidthText(in[kPrimaryWidth],
                               " (Bank 2 SDRAM is 2X the width of Physical Bank 1 SDRAM)",
                               " (No Physical Bank 2 or Bank 2 uses same width SDRAM as "
                               "Physical Bank 1)");
    },
    [](const Input& in) {
        return DeviceWidthText(in[kErrorCheckingWidth],
                               " (Bank 2 EC SDRAM is 2X the width of Physical Bank 1 SDRAM)",
                               " (No Physical Bank 2 or Bank 2 uses same width EC SDRAM as "
                               "Physical Bank 1)");
    },
    [](const Input& in) { return TccdText(in[kClockDelay]); },
    // 15
    [](const Input& in) { return BurstLengthText(in[kBurstLengths]); },
    [](const Input& in) { return DeviceBanksText(in[kDeviceBanks]); },
    [](const Input& in) {
        return LatencyListText("CAS Latency = ", in[kCasLatencies], kHighestCasBit, [&in](int bit) {
            return FixedPoint(CasLatencyTenths(bit), 1, in.separator);
        });
    },
    [](const Input& in) {
        return LatencyListText("CS  Latency = ", in[kCsLatencies], 6,
                               [](int bit) { return Decimal(bit); });
    },
    [](const Input& in) {
        return LatencyListText("WE  Latency = ", in[kWriteLatencies], 3,
                               [](int bit) { return Decimal(bit); });
    },
    // 20
    [](const Input& in) -> std::string {
        const std::uint8_t b = in[kModuleAttributes];
        if (b == 0) return strNone;
        return SetBitTexts(b, kModuleAttributeTexts);
    },
    [](const Input& in) {
        const std::uint8_t b = in[kDeviceAttributes];
        return SetBitTexts(b, kDeviceFeatureTexts) +
               SetBitTexts(static_cast<std::uint8_t>(~b), kVccToleranceTexts);
    },
    [](const Input& in) { return CycleTime(in, kCycleTimeClxHalf, kAtClxLessHalf); },
    [](const Input& in) { return AccessTime(in, kAccessTimeClxHalf, kAtClxLessHalf); },
    [](const Input& in) { return CycleTime(in, kCycleTimeClxOne, kAtClxLessOne); },
    // 25
    [](const Input& in) { return AccessTime(in, kAccessTimeClxOne, kAtClxLessOne); },
    [](const Input& in) { return QuarterNs(in, kTrp, "Trp  = "); },
    [](const Input& in) { return QuarterNs(in, kTrrd, "Trrd = "); },
    [](const Input& in) { return QuarterNs(in, kTrcd, "Trcd = "); },
    [](const Input& in) -> std::string {
        const std::uint8_t b = in[kTras];
        return b == 0 ? strUndefined : "Tras = " + Decimal(b) + "ns";
    },
    // 30
    [](const Input& in) { return BankDensity(in); },
    [](const Input& in) { return SetupHold(in, kAddressSetup); },
    [](const Input& in) { return SetupHold(in, kAddressHold); },
    [](const Input& in) { return SetupHold(in, kDataSetup); },
    [](const Input& in) { return SetupHold(in, kDataHold); },
    // 35
    [](const Input& in) -> std::string {
        const std::uint8_t b = in[kSpdRevision];
        return b == 0 ? strNone : "Revision " + Decimal(b);
    },
    [](const Input& in) { return ChecksumText(in.image); },
    [](const Input& in) { return ManufacturerText(in.image); },
    [](const Input& in) { return LocationText(in.image); },
    [](const Input& in) { return PartNumberText(in.image); },
    // 40
    [](const Input& in) { return RevisionCodeText(in.image); },
    [](const Input& in) { return ManufacturingDateText(in.image); },
    [](const Input& in) { return SerialNumberText(in.image); },
    [](const Input& in) { return ManufacturerDataText(in.image); },
};

}  // namespace

void DDRfmt_desc(TSPD& spd) {
    for (std::size_t row = 0; row < kSpdRows; ++row)
        spd.Row[row]->Description = kRowDescriptions[row];
}

void DDRfmt_decode(TSPD& spd, const SpdImage& image, char decimal_separator) {
    const Input in{image, decimal_separator};
    for (std::size_t row = 0; row < kDecodedRows; ++row) spd.Row[row]->Status = kRowRules[row](in);
}

}  // namespace ynvex
