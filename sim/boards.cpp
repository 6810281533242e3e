#include "sim/boards.h"

#include <algorithm>
#include <array>

#include "sim/chipset.h"
#include "sim/spd_samples.h"
#include "sim/superio.h"

namespace ynvex::sim {

bool Board::set_module(int slot, const std::vector<std::uint8_t>& bytes) {
    if (slot < 0 || slot >= kDimmSlots) return false;
    if (bytes.size() < 128 || bytes.size() > 256) return false;
    auto eeprom = std::make_shared<SpdEeprom>();  // erased: all 0xFF
    std::copy(bytes.begin(), bytes.end(), eeprom->bytes.begin());
    dimms_.attach(static_cast<std::uint8_t>(kFirstSpdAddress + slot), std::move(eeprom));
    return true;
}

void Board::remove_module(int slot) {
    if (slot < 0 || slot >= kDimmSlots) return;
    dimms_.detach(static_cast<std::uint8_t>(kFirstSpdAddress + slot));
}

const SpdEeprom* Board::module(int slot) const {
    if (slot < 0 || slot >= kDimmSlots) return nullptr;
    return dimms_.device(static_cast<std::uint8_t>(kFirstSpdAddress + slot));
}

AsusMux& Board::install_mux(std::function<bool()> selects_dimms) {
    mux_ = std::make_unique<AsusMux>(dimms_, std::move(selects_dimms));
    return *mux_;
}

SmbusHost& Board::add_host(HostFamily family, PciFunction& function, std::uint8_t base_register) {
    SmbusTarget& bus = mux_ ? static_cast<SmbusTarget&>(*mux_) : dimms_;
    host_ = &machine.add_io<SmbusHost>(family, function, base_register, bus);
    return *host_;
}

SmbusHost& Board::add_spare_host(HostFamily family, PciFunction& function,
                                 std::uint8_t base_register) {
    spare_buses_.push_back(std::make_unique<SmbusSegment>());
    return machine.add_io<SmbusHost>(family, function, base_register, *spare_buses_.back());
}

namespace {

// Where the firmware put the register blocks.
constexpr std::uint16_t kSmbusBase = 0x5000;
constexpr std::uint16_t kPmBase = 0xE400;  // AMD: SMBus at +0xE0

enum class Chip {
    None,        // a 440BX host and PIIX4 ISA bridge without the PM function
    Piix4,       // 00:07.3
    Ich,         // LPC bridge 00:1F.0, SMBus 00:1F.3
    Amd,         // 00:07.3
    Via596,      // 00:07.3
    Via686,      // 00:07.4
    Vt8231,      // PM function 00:11.4
    ViaKey8231,  // a function with the table's "VIA VT8233" key at 00:11.0, base at 0xB0
    Vt8233,      // LPC bridge 1106:3074 at 00:11.0, base at 0xD0
    Sis5595,     // 00:01.0 with its partner at 00:01.1
    Sis630,      // host bridge 00:00.0, ACPI bridge 00:01.0
    Ali,         // M7101 PMU at 00:11.0 (device 17)
};

// The output that drives the ASUS switch, and what it reads while the
// switch connects the sockets.
enum class Mux {
    None,
    PiixGpo,    // port 0xE437 (PIIX4 GPO byte 3): bit 3 set, bit 4 clear
    SuperIo,    // Super I/O GPIO 2 data (LDN 8, 0xF1): bit 4 set, bit 3 clear
    Via686Gpo,  // port 0xE44D: bit 0 set, bit 3 clear
    Via596Gpo,  // port 0xE44D: bit 6 set
    SisGpo,     // word at ACPI base + 0x3A: bit 4 set, bit 7 clear
    AliGpo,     // M7101 configuration 0xB8: bit 6 set, bit 5 clear
};

enum class Quirk {
    None,
    HiddenSmbus,         // the BIOS left FUNC_DIS bit 3 set
    AcpiOff,             // SiS 630 ACPI space disabled
    Sis5595AtFunction1,  // the 0x0008 bridge at a non-zero function
    Sis5595NoPartner,    // no 0x0009 function beside the bridge
    SecondController,    // an ICH2 at 00:1F.3 besides the board's own controller
};

struct ModuleAt {
    int slot;
    std::string_view sample;
};

struct PresetRow {
    const char* name;
    const char* description;
    Chip chip;
    std::uint32_t key;  // the controller function's ID key
    std::uint8_t rev;
    std::uint32_t lpc_key;  // ICH: the LPC bridge at 00:1F.0
    Mux mux;
    Quirk quirk;
    std::array<ModuleAt, 3> modules;
};

constexpr ModuleAt kNone{-1, ""};

// SPD dumps by file name.
constexpr std::string_view kPc100 = "generic-nopn-pc100-128mb";
constexpr std::string_view kPc133 = "generic-32mx64g-133-256mb";
constexpr std::string_view kDaneElec = "dane-elec-ssp133-064323j-256mb";
constexpr std::string_view kCau = "xerox-cau-pc133-128mb";
constexpr std::string_view kMalta = "emulator-qemu-malta-pc133-256mb";
constexpr std::string_view kSamsung = "samsung-m470l3224dt0-cb0-256mb";
constexpr std::string_view kKingston = "kingston-nopn-pc3200-1gb";
constexpr std::string_view kNanya = "nanya-m2u25664ds88b3g-5t-256mb";
constexpr std::string_view kMicron = "micron-8vddt3264ag-40bg5-256mb";
constexpr std::string_view kCorsair = "corsair-vs512mb400-512mb";
constexpr std::string_view kHynix = "hynix-hymd532m646c6-h-256mb";
constexpr std::string_view kInfineon = "infineon-hys72d64320hu-5-c-ecc-512mb";

// clang-format off
const PresetRow kPresetRows[] = {
    // One board per row of the controller table, and the three boards whose
    // controllers detection reports under a substitute key.
    {"piix4", "Intel 440BX board, PIIX4 (8086:7113 rev 1) at 00:07.3, SMBus at 0x5000; SDRAM in slots 0 and 1",
     Chip::Piix4, 0x71138086, 0x01, 0, Mux::None, Quirk::None, {{{0, kPc100}, {1, kCau}, kNone}}},
    {"piix4e", "PIIX4E under the controller table's own key 8086:7193 at 00:07.3; SDRAM in slot 0",
     Chip::Piix4, 0x71938086, 0x02, 0, Mux::None, Quirk::None, {{{0, kPc133}, kNone, kNone}}},
    {"piix4-rev2", "Intel 440BX board with a PIIX4E: 8086:7113 rev 2 at 00:07.3 (reported as PIIX4E); SDRAM in slot 2",
     Chip::Piix4, 0x71138086, 0x02, 0, Mux::None, Quirk::None, {{{2, kDaneElec}, kNone, kNone}}},
    {"ich", "Intel 810 board, ICH (LPC 8086:2410, SMBus 8086:2413 at 00:1F.3); SDRAM in slot 0",
     Chip::Ich, 0x24138086, 0x02, 0x24108086, Mux::None, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"ich0", "Intel 810 board, ICH0 (LPC 8086:2420, SMBus 8086:2423 at 00:1F.3); SDRAM in slot 1",
     Chip::Ich, 0x24238086, 0x02, 0x24208086, Mux::None, Quirk::None, {{{1, kCau}, kNone, kNone}}},
    {"ich2", "Intel 845D board, ICH2 (LPC 8086:2440, SMBus 8086:2443 rev 5 at 00:1F.3); DDR in slots 0 and 1",
     Chip::Ich, 0x24438086, 0x05, 0x24408086, Mux::None, Quirk::None, {{{0, kKingston}, {1, kMicron}, kNone}}},
    {"ich2m", "ICH2-M under the controller table's own key 8086:24C3 at 00:1F.3 (LPC 8086:244C); DDR SO-DIMM in slot 0",
     Chip::Ich, 0x24C38086, 0x05, 0x244C8086, Mux::None, Quirk::None, {{{0, kSamsung}, kNone, kNone}}},
    {"ich2-on-244c", "Intel 830M notebook: SMBus 8086:2443 beside the mobile LPC bridge 8086:244C (reported as ICH2-M); DDR SO-DIMM in slot 1",
     Chip::Ich, 0x24438086, 0x05, 0x244C8086, Mux::None, Quirk::None, {{{1, kSamsung}, kNone, kNone}}},
    {"ich3m", "Intel 845MP notebook, ICH3-M (LPC 8086:248C, SMBus 8086:2483 at 00:1F.3); DDR in slots 0 and 1",
     Chip::Ich, 0x24838086, 0x02, 0x248C8086, Mux::None, Quirk::None, {{{0, kMicron}, {1, kHynix}, kNone}}},
    {"amd756", "AMD-750 board, AMD-756 PM function (1022:740B) at 00:07.3, PM base 0xE400; SDRAM in slot 0",
     Chip::Amd, 0x740B1022, 0x03, 0, Mux::None, Quirk::None, {{{0, kPc133}, kNone, kNone}}},
    {"amd766", "AMD-760 board, AMD-766 PM function (1022:7413) at 00:07.3, PM base 0xE400; DDR in slot 0",
     Chip::Amd, 0x74131022, 0x02, 0, Mux::None, Quirk::None, {{{0, kKingston}, kNone, kNone}}},
    {"amd768", "AMD-760MP board, AMD-768 PM function (1022:7443) at 00:07.3, PM base 0xE400; DDR in slots 0 and 3",
     Chip::Amd, 0x74431022, 0x04, 0, Mux::None, Quirk::None, {{{0, kInfineon}, {3, kCorsair}, kNone}}},
    {"vt82c596b-3050", "VIA Apollo Pro board, VT82C596 PM function (1106:3050) at 00:07.3; SDRAM in slot 0",
     Chip::Via596, 0x30501106, 0x00, 0, Mux::None, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"vt82c596b-3051", "VIA Apollo Pro board, VT82C596B PM function (1106:3051) at 00:07.3; SDRAM in slot 1",
     Chip::Via596, 0x30511106, 0x00, 0, Mux::None, Quirk::None, {{{1, kDaneElec}, kNone, kNone}}},
    {"vt82c686a", "VIA KT133 board, VT82C686A PM function (1106:3057 rev 0x30) at 00:07.4; SDRAM in slots 0 and 2",
     Chip::Via686, 0x30571106, 0x30, 0, Mux::None, Quirk::None, {{{0, kPc133}, {2, kCau}, kNone}}},
    {"vt82c686b", "VT82C686B under the controller table's own key 1106:30D7 at 00:07.4; SDRAM in slot 0",
     Chip::Via686, 0x30D71106, 0x40, 0, Mux::None, Quirk::None, {{{0, kDaneElec}, kNone, kNone}}},
    {"vt82c686a-rev40", "VIA KT133A board, 1106:3057 rev 0x40 at 00:07.4 (reported as VT82C686B); SDRAM in slot 1",
     Chip::Via686, 0x30571106, 0x40, 0, Mux::None, Quirk::None, {{{1, kPc133}, kNone, kNone}}},
    {"vt8231", "VIA PLE133 board, VT8231 PM function (1106:8235) at 00:11.4; its ISA bridge is left out, since "
               "1106:8231 is the controller table's \"VIA VT8233\" key; SDRAM in slot 0",
     Chip::Vt8231, 0x82351106, 0x10, 0, Mux::None, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"vt8233", "VT8233 under the controller table's key 1106:8231 at 00:11.0, SMBus base in 0xB0; DDR in slot 0",
     Chip::ViaKey8231, 0x82311106, 0x00, 0, Mux::None, Quirk::None, {{{0, kNanya}, kNone, kNone}}},
    {"vt8233c", "VIA KT266A board, VT8233 LPC bridge (1106:3074) at 00:11.0, SMBus base in 0xD0; DDR in slots 0 and 1",
     Chip::Vt8233, 0x30741106, 0x00, 0, Mux::None, Quirk::None, {{{0, kCorsair}, {1, kKingston}, kNone}}},
    {"sis5595", "SiS 5591 board, SiS 5595 (1039:0008 at 00:01.0, partner 1039:0009 at 00:01.1), ACPI base 0x4000; SDRAM in slot 0",
     Chip::Sis5595, 0x00081039, 0x01, 0, Mux::None, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"sis630", "SiS 630 board (host bridge 1039:0630), ACPI base 0x5000 in 00:01.0 register 0x74; SDRAM in slots 0 and 1",
     Chip::Sis630, 0x06301039, 0x31, 0, Mux::None, Quirk::None, {{{0, kPc133}, {1, kMalta}, kNone}}},
    {"ali-m1535d", "ALi MAGiK 1 board, M7101 PMU (10B9:7101) at 00:11.0, SMBus base in word 0xE2; DDR in slots 0 and 2",
     Chip::Ali, 0x710110B9, 0x00, 0, Mux::None, Quirk::None, {{{0, kKingston}, {2, kHynix}, kNone}}},

    // ASUS boards: the DIMM sockets sit behind the SMBus switch.
    {"asus-piix4", "ASUS 440BX board: PIIX4 rev 1, switch on port 0xE437 bits 3/4; SDRAM in slots 0 and 1",
     Chip::Piix4, 0x71138086, 0x01, 0, Mux::PiixGpo, Quirk::None, {{{0, kDaneElec}, {1, kPc100}, kNone}}},
    {"asus-piix4e", "ASUS 440BX board: PIIX4E (8086:7113 rev 2), switch on port 0xE437 bits 3/4; SDRAM in slot 2",
     Chip::Piix4, 0x71138086, 0x02, 0, Mux::PiixGpo, Quirk::None, {{{2, kPc133}, kNone, kNone}}},
    {"asus-ich", "ASUS i810 board: ICH, switch on Super I/O GPIO 2 (LDN 8, 0xF1) bits 3/4; SDRAM in slot 0",
     Chip::Ich, 0x24138086, 0x02, 0x24108086, Mux::SuperIo, Quirk::None, {{{0, kCau}, kNone, kNone}}},
    {"asus-ich0", "ASUS i810 board: ICH0, switch on Super I/O GPIO 2 (LDN 8, 0xF1) bits 3/4; SDRAM in slot 1",
     Chip::Ich, 0x24238086, 0x02, 0x24208086, Mux::SuperIo, Quirk::None, {{{1, kPc100}, kNone, kNone}}},
    {"asus-ich2", "ASUS P4B-class board: ICH2 with its SMBus function hidden by the BIOS, switch on Super I/O "
                  "GPIO 2 bits 3/4; DDR in slots 0 and 2",
     Chip::Ich, 0x24438086, 0x05, 0x24408086, Mux::SuperIo, Quirk::HiddenSmbus, {{{0, kMicron}, {2, kCorsair}, kNone}}},
    {"asus-vt8233", "ASUS board with the controller table's key 1106:8231, switch on Super I/O GPIO 2 bits 3/4; DDR in slot 0",
     Chip::ViaKey8231, 0x82311106, 0x00, 0, Mux::SuperIo, Quirk::None, {{{0, kNanya}, kNone, kNone}}},
    {"asus-vt82c686a", "ASUS KT133 board: VT82C686A rev 0x30, switch on port 0xE44D bits 0/3; SDRAM in slot 0",
     Chip::Via686, 0x30571106, 0x30, 0, Mux::Via686Gpo, Quirk::None, {{{0, kPc133}, kNone, kNone}}},
    {"asus-vt82c686b", "ASUS KT133A board: VT82C686B (1106:3057 rev 0x40), switch on port 0xE44D bits 0/3; SDRAM in slots 1 and 2",
     Chip::Via686, 0x30571106, 0x40, 0, Mux::Via686Gpo, Quirk::None, {{{1, kDaneElec}, {2, kPc100}, kNone}}},
    {"asus-vt82c596b-3050", "ASUS Apollo Pro board: 1106:3050, switch on port 0xE44D bit 6; SDRAM in slot 0",
     Chip::Via596, 0x30501106, 0x00, 0, Mux::Via596Gpo, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"asus-vt82c596b-3051", "ASUS Apollo Pro board: 1106:3051, switch on port 0xE44D bit 6; SDRAM in slot 3",
     Chip::Via596, 0x30511106, 0x00, 0, Mux::Via596Gpo, Quirk::None, {{{3, kPc133}, kNone, kNone}}},
    {"asus-sis630", "ASUS SiS 630 board: switch on the word at ACPI base + 0x3A bits 4/7; SDRAM in slot 0",
     Chip::Sis630, 0x06301039, 0x31, 0, Mux::SisGpo, Quirk::None, {{{0, kDaneElec}, kNone, kNone}}},
    {"asus-ali", "ASUS ALi board: M7101 at 00:11.0, switch on its configuration dword 0xB8 bits 5/6; DDR in slot 1",
     Chip::Ali, 0x710110B9, 0x00, 0, Mux::AliGpo, Quirk::None, {{{1, kKingston}, kNone, kNone}}},

    // Boards detection has to get right.
    {"no-controller", "Intel 440BX host and PIIX4 ISA bridge without the PM function: no known controller; SDRAM in slot 0",
     Chip::None, 0, 0, 0, Mux::None, Quirk::None, {{{0, kPc100}, kNone, kNone}}},
    {"ich-hidden", "Intel 810 board whose BIOS hid the ICH SMBus function (FUNC_DIS bit 3 at 00:1F.0 0xF2); SDRAM in slot 0",
     Chip::Ich, 0x24138086, 0x02, 0x24108086, Mux::None, Quirk::HiddenSmbus, {{{0, kPc133}, kNone, kNone}}},
    {"sis630-acpi-off", "SiS 630 board with ACPI disabled (00:01.0 register 0x40 bit 7 clear): no base; SDRAM in slot 0",
     Chip::Sis630, 0x06301039, 0x31, 0, Mux::None, Quirk::AcpiOff, {{{0, kPc133}, kNone, kNone}}},
    {"sis5595-function1", "SiS 5595 bridge at 00:01.1 (partner at 00:01.2): not taken for a 5595; SDRAM in slot 0",
     Chip::Sis5595, 0x00081039, 0x01, 0, Mux::None, Quirk::Sis5595AtFunction1, {{{0, kPc100}, kNone, kNone}}},
    {"sis5595-no-partner", "SiS 0x0008 bridge at 00:01.0 without the 0x0009 function: not taken for a 5595; SDRAM in slot 0",
     Chip::Sis5595, 0x00081039, 0x01, 0, Mux::None, Quirk::Sis5595NoPartner, {{{0, kPc100}, kNone, kNone}}},
    {"two-controllers", "PIIX4 at 00:07.3 and an ICH2 SMBus at 00:1F.3: the lower device wins; SDRAM in slot 0 behind the PIIX4",
     Chip::Piix4, 0x71138086, 0x01, 0, Mux::None, Quirk::SecondController, {{{0, kPc133}, kNone, kNone}}},

    {"demo", "VIA KT266A board taking SDRAM and DDR, VT8233 LPC bridge (1106:3074) at 00:11.0: PC133 SDRAM "
             "in slot 0, DDR266 in slot 2, DDR400 in slot 3",
     Chip::Vt8233, 0x30741106, 0x00, 0, Mux::None, Quirk::None, {{{0, kDaneElec}, {2, kHynix}, {3, kNanya}}}},
};
// clang-format on

// The controller function a chipset builder made, and how its model finds
// its register block.
struct Controller {
    PciFunction* function = nullptr;
    HostFamily family = HostFamily::Default;
    std::uint8_t base_register = 0;
    std::uint8_t enable_offset = 0;
    std::uint8_t enable_mask = 0;
};

PciFunction& add(Board& b, int dev, int func, std::uint32_t key, std::uint8_t rev = 0) {
    return b.machine.add_pci(0, static_cast<std::uint8_t>(dev), static_cast<std::uint8_t>(func),
                             key, rev);
}

std::uint32_t ich_host_bridge(std::uint32_t lpc_key) {
    switch (lpc_key) {
        case 0x24408086:
            return 0x1A308086;  // 845
        case 0x244C8086:
            return 0x35758086;  // 830M
        case 0x248C8086:
            return 0x1A308086;  // 845MP
        default:
            return 0x71208086;  // 810
    }
}

Controller build_chip(Board& b, const PresetRow& s) {
    Controller c;
    switch (s.chip) {
        case Chip::None:
            add(b, 0, 0, 0x71908086);
            add(b, 7, 0, 0x71108086);
            add(b, 7, 1, 0x71118086);
            break;
        case Chip::Piix4: {
            add(b, 0, 0, 0x71908086);
            add(b, 7, 0, 0x71108086);
            add(b, 7, 1, 0x71118086);
            add(b, 7, 2, 0x71128086);
            auto& pm = add(b, 7, 3, s.key, s.rev);
            pm.make_io_bar(0x40, kPmBase, 64);  // PMBA: GPO byte 3 is at +0x37
            pm.make_io_bar(0x90, kSmbusBase, 16);
            pm.poke8(0xD2, 0x09);  // host enable, IRQ 9
            c = {&pm, HostFamily::Default, 0x90, 0xD2, 0x01};
            break;
        }
        case Chip::Ich: {
            add(b, 0, 0, ich_host_bridge(s.lpc_key));
            auto& lpc = b.machine.add_pci<IchLpcBridge>(0, 31, 0, b.machine, std::uint8_t{0},
                                                        std::uint8_t{31}, s.lpc_key);
            auto& smbus = add(b, 31, 3, s.key, s.rev);
            smbus.make_io_bar(0x20, kSmbusBase, 16);
            smbus.poke8(0x04, 0x01);  // I/O space enable
            smbus.poke8(0x40, 0x01);  // HOSTC: host enable
            if (s.quirk == Quirk::HiddenSmbus)
                lpc.set_function_disable(IchLpcBridge::kDisableSmbus);
            c = {&smbus, HostFamily::Default, 0x20, 0x40, 0x01};
            break;
        }
        case Chip::Amd: {
            add(b, 0, 0, 0x700E1022);
            add(b, 7, 0, (s.key & 0xFFF00000) | 0x00081022);  // the ISA bridge: 7408, 7410, 7440
            auto& pm = add(b, 7, 3, s.key, s.rev);
            pm.make_io_bar(0x58, kPmBase, 256);
            pm.poke8(0x41, 0x80);  // PM I/O enable
            c = {&pm, HostFamily::Amd, 0x58, 0x41, 0x80};
            break;
        }
        case Chip::Via596:
        case Chip::Via686: {
            const bool is686 = s.chip == Chip::Via686;
            add(b, 0, 0, is686 ? 0x03051106 : 0x06911106);
            add(b, 7, 0, is686 ? 0x06861106 : 0x05961106);
            add(b, 7, 1, 0x05711106);
            auto& pm = add(b, 7, is686 ? 4 : 3, s.key, s.rev);
            pm.make_io_bar(0x90, kSmbusBase, 16);
            pm.poke8(0xD2, 0x01);
            c = {&pm, HostFamily::Default, 0x90, 0xD2, 0x01};
            break;
        }
        case Chip::Vt8231: {
            add(b, 0, 0, 0x06011106);
            add(b, 17, 1, 0x05711106);
            auto& pm = add(b, 17, 4, s.key, s.rev);
            pm.make_io_bar(0x90, kSmbusBase, 16);
            pm.poke8(0xD2, 0x01);
            c = {&pm, HostFamily::Default, 0x90, 0xD2, 0x01};
            break;
        }
        case Chip::ViaKey8231:
        case Chip::Vt8233: {
            const std::uint8_t base_reg = s.chip == Chip::Vt8233 ? 0xD0 : 0xB0;
            add(b, 0, 0, 0x30991106);
            auto& lpc = add(b, 17, 0, s.key, s.rev);
            add(b, 17, 1, 0x05711106);
            lpc.make_io_bar(base_reg, kSmbusBase, 16);
            c = {&lpc, HostFamily::Default, base_reg, 0, 0};
            break;
        }
        case Chip::Sis5595: {
            add(b, 0, 0, 0x55911039);
            int func = 0;
            if (s.quirk == Quirk::Sis5595AtFunction1) {
                add(b, 1, 0, 0x00181039);  // another SiS bridge at function 0
                func = 1;
            }
            auto& bridge = add(b, 1, func, s.key, s.rev);
            bridge.poke16(0x90, 0x4000);  // ACPI base
            bridge.poke8(0x40, 0x80);     // ACPI enable
            if (s.quirk != Quirk::Sis5595NoPartner) add(b, 1, func + 1, 0x00091039);
            c = {&bridge, HostFamily::Sis5595, 0x90, 0x40, 0x80};
            break;
        }
        case Chip::Sis630: {
            add(b, 0, 0, s.key, s.rev);
            auto& acpi = b.machine.add_pci<Sis630LpcBridge>(0, 1, 0, 0x00081039u, std::uint8_t{0},
                                                            kSmbusBase, s.quirk != Quirk::AcpiOff);
            c = {&acpi, HostFamily::Sis630, Sis630LpcBridge::kAcpiBase,
                 Sis630LpcBridge::kBiosControl, Sis630LpcBridge::kAcpiEnable};
            break;
        }
        case Chip::Ali: {
            add(b, 0, 0, 0x164710B9);
            add(b, 7, 0, 0x153310B9);
            auto& pmu = b.machine.add_pci<PciFunctionWithOutputs>(
                0, 17, 0, s.key, s.rev, std::uint8_t{0xB8}, std::uint8_t{4});
            pmu.poke16(0xE0, 0x1234);  // not the base: the low word of dword 0xE0
            pmu.poke16(0xE2, kSmbusBase | 0x0001);
            pmu.poke8(0xF0, 0x01);  // host enable
            c = {&pmu, HostFamily::AliM7101, 0xE2, 0xF0, 0x01};
            break;
        }
    }
    return c;
}

void build_mux(Board& b, const PresetRow& s, const Controller& c) {
    switch (s.mux) {
        case Mux::None:
            break;
        case Mux::PiixGpo:
        case Mux::Via686Gpo:
        case Mux::Via596Gpo: {
            const std::uint16_t port = s.mux == Mux::PiixGpo ? 0xE437 : 0xE44D;
            // Other output bits are in use and must survive the switching.
            auto& gpo = b.machine.add_io<OutputRegister>(port, 1, 0xA4u);
            std::function<bool()> selects;
            if (s.mux == Mux::PiixGpo) {
                selects = [&gpo] { return (gpo.value() & 0x18) == 0x08; };
            } else if (s.mux == Mux::Via686Gpo) {
                selects = [&gpo] { return (gpo.value() & 0x09) == 0x01; };
            } else {
                selects = [&gpo] { return (gpo.value() & 0x40) != 0; };
            }
            AsusMux& mux = b.install_mux(std::move(selects));
            gpo.on_write = [&mux] { mux.update(); };
            break;
        }
        case Mux::SuperIo: {
            auto& sio = b.machine.add_io<WinbondSuperIo>();
            sio.set_reg(WinbondSuperIo::kLdnGpio2, WinbondSuperIo::kRegGpio2Data, 0xA0);
            AsusMux& mux = b.install_mux([&sio] {
                const auto data = sio.reg(WinbondSuperIo::kLdnGpio2, WinbondSuperIo::kRegGpio2Data);
                return (data & 0x18) == 0x10;
            });
            sio.on_gpio2_write = [&mux] { mux.update(); };
            break;
        }
        case Mux::SisGpo: {
            auto& gpo = b.machine.add_io<OutputRegister>(*c.function, Sis630LpcBridge::kAcpiBase,
                                                         std::uint16_t{0x3A}, 2, 0x2A80u);
            AsusMux& mux = b.install_mux([&gpo] { return (gpo.value() & 0x90) == 0x10; });
            gpo.on_write = [&mux] { mux.update(); };
            break;
        }
        case Mux::AliGpo: {
            auto& pmu = static_cast<PciFunctionWithOutputs&>(*c.function);
            pmu.poke32(0xB8, 0x00C01E20);
            AsusMux& mux = b.install_mux([&pmu] { return (pmu.peek8(0xB8) & 0x60) == 0x40; });
            pmu.on_output_write = [&mux] { mux.update(); };
            break;
        }
    }
}

std::vector<std::uint8_t> sample_bytes(std::string_view name) {
    for (const SpdSample& sample : spd_samples()) {
        if (sample.name == name) return {sample.bytes.begin(), sample.bytes.end()};
    }
    return {};
}

std::unique_ptr<Board> build(const PresetRow& s) {
    auto board = std::make_unique<Board>();
    Board& b = *board;
    const Controller c = build_chip(b, s);
    if (c.function != nullptr) {
        build_mux(b, s, c);
        SmbusHost& host = b.add_host(c.family, *c.function, c.base_register);
        if (c.enable_mask != 0) host.set_enable_bit(c.enable_offset, c.enable_mask);
    }
    if (s.quirk == Quirk::SecondController) {
        b.machine.add_pci<IchLpcBridge>(0, 31, 0, b.machine, std::uint8_t{0}, std::uint8_t{31},
                                        0x24408086u);
        auto& ich = add(b, 31, 3, 0x24438086, 0x05);
        ich.make_io_bar(0x20, 0x5100, 16);
        ich.poke8(0x40, 0x01);
        b.add_spare_host(HostFamily::Default, ich, 0x20).set_enable_bit(0x40, 0x01);
    }
    for (const ModuleAt& m : s.modules) {
        if (m.slot >= 0) b.set_module(m.slot, sample_bytes(m.sample));
    }
    return board;
}

}  // namespace

const std::vector<BoardPreset>& board_presets() {
    static const std::vector<BoardPreset> presets = [] {
        std::vector<BoardPreset> list;
        for (const PresetRow& s : kPresetRows) list.push_back({s.name, s.description});
        return list;
    }();
    return presets;
}

std::unique_ptr<Board> make_board(std::string_view name) {
    for (const PresetRow& s : kPresetRows) {
        if (name == s.name) return build(s);
    }
    return nullptr;
}

}  // namespace ynvex::sim
