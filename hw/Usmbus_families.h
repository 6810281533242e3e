// The SMBus host controller families: one table per register set, chosen
// by the controller's ID key. The transactions of Usmbus are written once
// over these tables; a family differs only by the data below.
#pragma once

#include <array>
#include <cstdint>

namespace ynvex {

// The transactions, in the order of a family's start values.
enum class SmbTransaction { ReadByte, ReadWord, WriteByte, WriteWord };

// Marks a register or port that a family does not have.
inline constexpr std::uint32_t kSmbNone = 0xFFFFFFFF;

// How preparation clears the sticky status flags.
enum class SmbStatusClear {
    WriteBackRead,      // write back the value just read (write 1 to clear)
    AllOnesBeforeRead,  // write 0xFF to the status before each read
};

// The setup-and-start phase, one register write per step, in table order.
enum class SmbStep {
    Address,  // slave address byte with the direction bit
    Command,  // the offset inside the device
    Data,     // the write data (nothing for the reads)
    Control,  // the transaction's start value
    Trigger,  // the family's trigger value to its start register
    End,
};

struct SmbRegWrite {
    std::uint32_t reg;  // kSmbNone: no write
    std::uint32_t value;
};

struct SmbusFamily {
    const char* name;

    // Ports of an indexed register set, as offsets from the base: a register
    // number written to the index port selects what the data port reaches.
    // kSmbNone: registers lie at base + register.
    std::uint32_t index_port;
    std::uint32_t data_port;

    // Registers.
    std::uint32_t status;
    std::uint32_t second_status;  // a second status register read with it, or kSmbNone
    std::uint32_t control;
    std::uint32_t start;  // where the trigger value goes
    std::uint32_t address;
    std::uint32_t command;
    std::uint32_t data0;
    std::uint32_t data1;
    bool data_is_word;  // data0 is one 16-bit register holding the whole word

    // Preparation: clearing, when the controller may start, what it waits
    // for, and the kill written when it is not ready.
    SmbStatusClear clear;
    std::uint32_t not_ready;         // ready only while status AND this is 0
    std::uint32_t second_not_ready;  // and second status AND this is 0
    std::uint32_t idle_flag;         // and, if not 0, this flag is set; waiting until it is
    std::uint32_t busy_flag;         // wait while status AND this is not 0
    std::uint32_t second_busy_flag;  // or second status AND this
    std::array<SmbRegWrite, 2> kill;

    // Setup and start.
    std::array<SmbStep, 6> setup;
    std::array<std::uint32_t, 4> start_values;  // by SmbTransaction
    std::uint32_t trigger_value;

    // Completion poll and result.
    std::uint32_t restart_flag;
    bool writes_restart;  // the write polls also restart on restart_flag
    std::uint32_t end_flags;
    std::uint32_t success_flag;
};

// The family of a controller's ID key: the first entry of the dispatch list
// with that key, or the default family.
const SmbusFamily& SMBfamily(std::uint32_t key);

}  // namespace ynvex
