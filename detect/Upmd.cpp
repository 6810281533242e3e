#include "detect/Upmd.h"

#include <algorithm>

#include "hw/Upcicfg.h"
#include "hw/Usmbus.h"

namespace ynvex {
namespace {

constexpr std::uint32_t kBus = 0;
constexpr std::uint32_t kDevices = 32;
constexpr std::uint32_t kFunctions = 8;

// The ICH's LPC bridge and its function-disable word; bit 3 hides 00:1F.3.
constexpr std::uint32_t kLpcDev = 31;
constexpr std::uint32_t kLpcFunc = 0;
constexpr std::uint32_t kRegIdKey = 0x00;
constexpr std::uint32_t kRegFuncDisable = 0xF2;
constexpr std::uint32_t kFuncDisableSmbus = 0x0008;

// The mobile ICH2's LPC bridge: the only way to tell an ICH2-M from an ICH2.
constexpr std::uint32_t kIch2mLpcBridge = 0x244C8086;
// The SiS 5595's power-management partner at function 1.
constexpr std::uint32_t kSis5595Partner = 0x00091039;
// SiS 630: device 1 function 0 carries the ACPI enable (0x40 bit 7) and the
// ACPI base (0x74); the SMBus block lies at +0x80 of that base.
constexpr std::uint32_t kSis630AcpiDev = 1;
constexpr std::uint32_t kSis630AcpiFunc = 0;
constexpr std::uint32_t kSis630RegBiosControl = 0x40;
constexpr std::uint32_t kSis630AcpiEnable = 0x80;
constexpr std::uint32_t kSis630RegAcpiBase = 0x74;
// ALi M1535 layout: the SMBus base is the word at 0xE2.
constexpr std::uint32_t kAliRegSmbusBase = 0xE2;
// Revision bits that mark the later steppings.
constexpr std::uint32_t kPiix4eRevisionBit = 0x02;
constexpr std::uint32_t kVt82c686bRevisionBit = 0x40;

constexpr std::array<PmdController, kPmdControllers> kControllers = {{
    {0x71138086, 0x90, "intel 82371AB (PIIX4)", PmdRule::Piix4},
    {0x71938086, 0x90, "intel 82371EB (PIIX4E)", PmdRule::None},
    {0x24138086, 0x20, "intel 82801AA (ICH)", PmdRule::None},
    {0x24238086, 0x20, "intel 82801AB (ICH0)", PmdRule::None},
    {0x24438086, 0x20, "intel 82801BA (ICH2)", PmdRule::Ich2},
    {0x24C38086, 0x20, "intel 82801BAM (ICH2-M)", PmdRule::None},
    {0x24838086, 0x20, "intel 82801CAM (ICH3-M)", PmdRule::None},
    {0x740B1022, 0x58, "AMD AMD-756", PmdRule::None},
    {0x74131022, 0x58, "AMD AMD-766", PmdRule::None},
    {0x74431022, 0x58, "AMD AMD-768", PmdRule::None},
    {0x30501106, 0x90, "VIA VT82C596B", PmdRule::None},
    {0x30511106, 0x90, "VIA VT82C596B", PmdRule::None},
    {0x30571106, 0x90, "VIA VT82C686A", PmdRule::Vt82c686a},
    {0x30D71106, 0x90, "VIA VT82C686B", PmdRule::None},
    {0x82351106, 0x90, "VIA VT8231", PmdRule::None},
    {0x82311106, 0xB0, "VIA VT8233", PmdRule::None},
    {0x30741106, 0xD0, "VIA VT8233C", PmdRule::None},
    {0x00081039, 0x90, "SiS 5595", PmdRule::Sis5595},
    {0x06301039, 0x74, "SiS 630", PmdRule::Sis630},
    {0x710110B9, 0xE2, "ALi M1535D+", PmdRule::AliM7101},
}};

const PmdController* controller_with_key(std::uint32_t key) {
    for (const auto& row : kControllers) {
        if (row.key == key) return &row;
    }
    return nullptr;
}

// A substitute: the key and name of another row replace the matched one's.
void substitute(TPMD& pmd, std::uint32_t key, const char*& name) {
    pmd.did = key;
    name = controller_with_key(key)->name;
}

// Applies the row's rule to a match; may reject it (did = all ones) or
// replace its key, name, place or base.
void apply_rule(TPMD& pmd, const PmdController& row, const char*& name) {
    const auto dev = static_cast<std::uint32_t>(pmd.dev);
    const auto func = static_cast<std::uint32_t>(pmd.func);
    switch (row.rule) {
        case PmdRule::None:
            break;
        case PmdRule::Sis5595:
            // Other SiS chipsets carry a 0x0008 bridge too; only the 5595 has
            // its power-management function beside it.
            if (func != 0 || SMBrd_did(dev, 1) != kSis5595Partner) pmd.did = kPmdNoKey;
            break;
        case PmdRule::Sis630:
            pmd.dev = static_cast<std::int32_t>(kSis630AcpiDev);
            pmd.func = static_cast<std::int32_t>(kSis630AcpiFunc);
            if ((PCIcfg_rdd(kBus, kSis630AcpiDev, kSis630AcpiFunc, kSis630RegBiosControl) &
                 kSis630AcpiEnable) != 0) {
                pmd.bad = static_cast<std::int32_t>(
                    SMBrdwo_bad(kSis630AcpiDev, kSis630AcpiFunc, kSis630RegAcpiBase));
            } else {
                // ACPI space disabled: there is no base to talk to.
                pmd.dev = pmd.func = pmd.bad = -1;
            }
            break;
        case PmdRule::AliM7101:
            pmd.bad = static_cast<std::int32_t>(SMBrdwe_bad(dev, func, kAliRegSmbusBase));
            break;
        case PmdRule::Piix4:
            if ((static_cast<std::uint32_t>(pmd.rid) & kPiix4eRevisionBit) != 0) {
                substitute(pmd, 0x71938086, name);
            }
            break;
        case PmdRule::Ich2:
            if (PCIcfg_rdd(kBus, kLpcDev, kLpcFunc, kRegIdKey) == kIch2mLpcBridge) {
                substitute(pmd, 0x24C38086, name);
            }
            break;
        case PmdRule::Vt82c686a:
            if ((static_cast<std::uint32_t>(pmd.rid) & kVt82c686bRevisionBit) != 0) {
                substitute(pmd, 0x30D71106, name);
            }
            break;
    }
}

}  // namespace

const std::array<PmdController, kPmdControllers>& PMDcontrollers() {
    return kControllers;
}

void TPMD::Unhide() {
    const std::uint32_t key = PCIcfg_rdd(kBus, kLpcDev, kLpcFunc, kRegIdKey);
    if (std::find(kPmdLpcBridges.begin(), kPmdLpcBridges.end(), key) == kPmdLpcBridges.end()) {
        return;
    }
    const std::uint32_t disable = PCIcfg_rdwe(kBus, kLpcDev, kLpcFunc, kRegFuncDisable);
    if ((disable & kFuncDisableSmbus) != 0) {
        PCIcfg_wtwe(kBus, kLpcDev, kLpcFunc, kRegFuncDisable, disable & ~kFuncDisableSmbus);
    }
}

void TPMD::Detect() {
    for (std::uint32_t d = 0; d < kDevices; ++d) {
        for (std::uint32_t f = 0; f < kFunctions; ++f) {
            for (const auto& row : kControllers) {
                dev = static_cast<std::int32_t>(d);
                func = static_cast<std::int32_t>(f);
                did = SMBrd_did(d, f);
                if (did != row.key) continue;
                rid = static_cast<std::int32_t>(SMBrd_rid(d, f));
                bad = static_cast<std::int32_t>(SMBrdwo_bad(d, f, row.base_reg));
                const char* found = row.name;
                apply_rule(*this, row, found);
                if (did == kPmdNoKey) continue;
                // A base register the firmware never programmed reads 0: the
                // register block is decoded nowhere, and port 0 upwards is the
                // DMA controller, so there is nothing safe to talk to.
                if (bad == 0) bad = -1;
                name = found;
                return;
            }
        }
    }
    dev = func = rid = bad = -1;
    did = kPmdNoKey;
    name = "Unknown";
}

}  // namespace ynvex
