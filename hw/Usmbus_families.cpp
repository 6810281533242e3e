#include "hw/Usmbus_families.h"

namespace ynvex {
namespace {

using Step = SmbStep;

// The write order of the setup: the address and the command, the data of a
// write, then the start value that sets the cycle going.
constexpr std::array<SmbStep, 6> kControlStarts{Step::Address, Step::Command, Step::Data,
                                                Step::Control, Step::End,     Step::End};

// Intel PIIX4 and ICH, and the VIA south bridges: every key not in the
// dispatch list. Status bits: 0x01 host busy, 0x02 done, 0x04 device error
// (no acknowledge), 0x08 bus collision, 0x10 failed (killed).
constexpr SmbusFamily kSmbDefault{
    .name = "default",
    .index_port = kSmbNone,
    .data_port = kSmbNone,
    .status = 0x00,
    .second_status = kSmbNone,
    .control = 0x02,
    .start = 0x02,
    .address = 0x04,
    .command = 0x03,
    .data0 = 0x05,
    .data1 = 0x06,
    .data_is_word = false,
    .clear = SmbStatusClear::WriteBackRead,
    .not_ready = 0x09,
    .second_not_ready = 0x00,
    .idle_flag = 0x00,
    .busy_flag = 0x01,
    .second_busy_flag = 0x00,
    .kill = {{{0x02, 0x02}, {kSmbNone, 0}}},
    .setup = kControlStarts,
    .start_values = {0x48, 0x4C, 0x48, 0x4C},
    .trigger_value = 0,
    .restart_flag = 0x08,
    .writes_restart = false,
    .end_flags = 0x06,
    .success_flag = 0x02,
};

// ALi M7101: the type goes to the control register at +0x01 before the
// command, and any write to +0x02 starts the cycle. It shows an idle flag
// (0x04) rather than a busy flag, and its status is cleared by writing all
// ones before every read. The kill sets both the kill and the bus time-out
// bits, then clears the status.
constexpr SmbusFamily kSmbAliM7101{
    .name = "ALi M7101",
    .index_port = kSmbNone,
    .data_port = kSmbNone,
    .status = 0x00,
    .second_status = kSmbNone,
    .control = 0x01,
    .start = 0x02,
    .address = 0x03,
    .command = 0x07,
    .data0 = 0x04,
    .data1 = 0x05,
    .data_is_word = false,
    .clear = SmbStatusClear::AllOnesBeforeRead,
    .not_ready = 0x00,
    .second_not_ready = 0x00,
    .idle_flag = 0x04,
    .busy_flag = 0x00,
    .second_busy_flag = 0x00,
    .kill = {{{0x01, 0x0C}, {0x00, 0xFF}}},
    .setup = {Step::Address, Step::Control, Step::Command, Step::Data, Step::Trigger, Step::End},
    .start_values = {0x20, 0x30, 0x20, 0x30},
    .trigger_value = 0xFF,
    .restart_flag = 0x80,
    .writes_restart = true,
    .end_flags = 0x50,
    .success_flag = 0x10,
};

// SiS 630: the SMBus block lies at +0x80 of the base the controller record
// holds (its ACPI base). The busy flag is in a second status register at
// +0x82, which preparation reads and clears together with +0x80; the poll
// reads +0x80 alone.
constexpr SmbusFamily kSmbSis630{
    .name = "SiS 630",
    .index_port = kSmbNone,
    .data_port = kSmbNone,
    .status = 0x80,
    .second_status = 0x82,
    .control = 0x83,
    .start = 0x83,
    .address = 0x84,
    .command = 0x85,
    .data0 = 0x88,
    .data1 = 0x89,
    .data_is_word = false,
    .clear = SmbStatusClear::WriteBackRead,
    .not_ready = 0x04,
    .second_not_ready = 0x01,
    .idle_flag = 0x00,
    .busy_flag = 0x00,
    .second_busy_flag = 0x01,
    .kill = {{{0x83, 0x20}, {kSmbNone, 0}}},
    .setup = kControlStarts,
    .start_values = {0x12, 0x13, 0x12, 0x13},
    .trigger_value = 0,
    .restart_flag = 0x04,
    .writes_restart = false,
    .end_flags = 0x0A,
    .success_flag = 0x08,
};

// SiS 5595: every register is reached through the index port at +0x38 and
// the data port at +0x39 of the base (its ACPI base), so the values below
// are register numbers. The host's data bytes are registers 0x08 (data 0)
// and 0x09 (data 1); registers 0x11 and 0x12 are the data bytes of the
// chip's host-as-slave function, which a host cycle never fills, and would
// read the same stale bytes for every offset.
constexpr SmbusFamily kSmbSis5595{
    .name = "SiS 5595",
    .index_port = 0x38,
    .data_port = 0x39,
    .status = 0x00,
    .second_status = kSmbNone,
    .control = 0x02,
    .start = 0x02,
    .address = 0x04,
    .command = 0x05,
    .data0 = 0x08,
    .data1 = 0x09,
    .data_is_word = false,
    .clear = SmbStatusClear::WriteBackRead,
    .not_ready = 0x22,
    .second_not_ready = 0x00,
    .idle_flag = 0x00,
    .busy_flag = 0x02,
    .second_busy_flag = 0x00,
    .kill = {{{0x02, 0x20}, {kSmbNone, 0}}},
    .setup = kControlStarts,
    .start_values = {0x14, 0x16, 0x14, 0x16},
    .trigger_value = 0,
    .restart_flag = 0x20,
    .writes_restart = false,
    .end_flags = 0x50,
    .success_flag = 0x40,
};

// AMD-756, -766 and -768: the SMBus registers lie at +0xE0 of the base the
// controller record holds (the PM base). The data register at +0xE6 is 16
// bits wide and takes a word in one access, low byte at +0xE6.
constexpr SmbusFamily kSmbAmd{
    .name = "AMD",
    .index_port = kSmbNone,
    .data_port = kSmbNone,
    .status = 0xE0,
    .second_status = kSmbNone,
    .control = 0xE2,
    .start = 0xE2,
    .address = 0xE4,
    .command = 0xE8,
    .data0 = 0xE6,
    .data1 = 0xE7,
    .data_is_word = true,
    .clear = SmbStatusClear::WriteBackRead,
    .not_ready = 0x0A,
    .second_not_ready = 0x00,
    .idle_flag = 0x00,
    .busy_flag = 0x08,
    .second_busy_flag = 0x00,
    .kill = {{{0xE2, 0x20}, {kSmbNone, 0}}},
    .setup = kControlStarts,
    .start_values = {0x0A, 0x0B, 0x0A, 0x0B},
    .trigger_value = 0,
    .restart_flag = 0x02,
    .writes_restart = false,
    .end_flags = 0x14,
    .success_flag = 0x10,
};

struct SmbDispatch {
    std::uint32_t key;  // 0 ends the list
    const SmbusFamily* family;
};

constexpr SmbDispatch kSmbDispatch[] = {
    {0x710110B9, &kSmbAliM7101},  // ALi M7101
    {0x06301039, &kSmbSis630},    // SiS 630
    {0x00081039, &kSmbSis5595},   // SiS 5595
    {0x74431022, &kSmbAmd},       // AMD-768
    {0x74131022, &kSmbAmd},       // AMD-766
    {0x740B1022, &kSmbAmd},       // AMD-756
    {0, &kSmbDefault},
};

}  // namespace

const SmbusFamily& SMBfamily(std::uint32_t key) {
    for (const SmbDispatch& entry : kSmbDispatch) {
        if (entry.key == key || entry.key == 0) return *entry.family;
    }
    return kSmbDefault;
}

}  // namespace ynvex
