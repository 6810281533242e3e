// The read cycle of one slot and the choice of decoder, on simulated boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "decode/Ufmt_ddrsdram.h"
#include "decode/Ufmt_sdram.h"
#include "detect/Upmd.h"
#include "hw/ports.h"
#include "sim/boards.h"
#include "sim/smbus_host.h"
#include "spd/Uspd.h"

namespace ynvex {
namespace {

using Event = sim::AsusMux::Event;

TPMD detect() {
    TPMD pmd;
    pmd.Unhide();
    pmd.Detect();
    return pmd;
}

SpdImage filled(std::uint8_t value) {
    SpdImage image;
    image.fill(value);
    return image;
}

// What slot's bytes 0 to 127 must read as: the module's, or zeros.
SpdImage expected_image(const sim::Board& board, int slot, bool reachable) {
    SpdImage image = filled(0xAA);  // bytes 128 to 255 stay as they were
    const sim::SpdEeprom* module = board.module(slot);
    for (std::size_t i = 0; i < kSpdBytesUsed; ++i) {
        image[i] = module != nullptr && reachable ? module->bytes[i] : 0;
    }
    return image;
}

// The runs of accesses that the SMBus controller does not decode (nor the
// delay port take), between its transactions: the multiplexer selects.
std::vector<std::size_t> select_runs(const sim::Machine& machine, const sim::SmbusHost& host) {
    std::vector<std::size_t> runs;
    bool in_run = false;
    for (const sim::Access& a : machine.trace()) {
        const bool select = a.port != hw::kDelayPort && !host.decodes(a.port);
        if (select && !in_run) runs.push_back(0);
        if (select) ++runs.back();
        in_run = select;
    }
    return runs;
}

// Every preset with a controller, every slot, with and without the switch:
// the module's bytes, 129 transactions for a module and the probe alone for
// an empty socket; on an ASUS board each transaction is wrapped in exactly one
// connect and one disconnect, and without the switch the sockets are out of
// reach.
TEST(ReadSlotEndToEnd, EverySlotOfEveryPresetThroughEveryFamily) {
    int boards = 0;
    for (const auto& preset : sim::board_presets()) {
        auto board = sim::make_board(preset.name);
        hw::ScopedPortBackend backend(board->machine);
        const TPMD pmd = detect();
        if (pmd.bad == -1) continue;
        ++boards;
        sim::SmbusHost* host = board->host();
        ASSERT_NE(host, nullptr) << preset.name;
        sim::AsusMux* mux = board->mux();
        // The switch is set by the controller's key, whether the board has
        // one or not.
        const bool has_mux_row = std::find(kAsmsTable.key.begin(), kAsmsTable.key.end(), pmd.did) !=
                                 kAsmsTable.key.end();
        for (bool asus : {false, true}) {
            TSPD spd;
            for (int slot = 0; slot < kSpdSlots; ++slot) {
                SCOPED_TRACE(::testing::Message()
                             << preset.name << " asus " << asus << " slot " << slot);
                const bool reachable = mux == nullptr || asus;
                const bool present = board->module(slot) != nullptr && reachable;
                const unsigned before = host->transactions_started();
                if (mux != nullptr) mux->clear_log();
                board->machine.clear_trace();
                SpdImage image = filled(0xAA);
                spd.ReadSlot(asus, pmd.did, static_cast<std::uint32_t>(pmd.bad), slot, image);
                EXPECT_EQ(image, expected_image(*board, slot, reachable));
                const unsigned reads = present ? 129 : 1;
                EXPECT_EQ(host->transactions_started() - before, reads);
                const std::vector<std::size_t> selects = select_runs(board->machine, *host);
                if (asus && has_mux_row) {
                    // On before the first transaction, off after the last, and
                    // an off and the next on between each two.
                    ASSERT_EQ(selects.size(), reads + 1);
                    for (std::size_t i = 1; i < reads; ++i) {
                        EXPECT_EQ(selects[i], 2 * selects.front()) << i;
                    }
                    EXPECT_EQ(selects.back(), selects.front());
                } else {
                    EXPECT_TRUE(selects.empty()) << "no multiplexer select";
                }
                if (mux == nullptr) continue;
                std::vector<Event> expected;
                for (unsigned i = 0; i < reads; ++i) {
                    if (asus) {
                        expected.insert(expected.end(),
                                        {Event::Connect, Event::Forwarded, Event::Disconnect});
                    } else {
                        expected.push_back(Event::Refused);
                    }
                }
                EXPECT_EQ(mux->log(), expected);
            }
        }
    }
    EXPECT_GE(boards, 30);
}

// For a controller without a multiplexer row the switch changes nothing on
// the wire: the same ports in the same order with and without it (the values
// may differ, since the controller's status flags carry over between reads).
TEST(ReadSlotEndToEnd, SwitchIsInertForControllersWithoutAMultiplexer) {
    for (const char* name : {"ich2m", "amd768", "sis5595", "vt8231", "demo"}) {
        SCOPED_TRACE(name);
        auto board = sim::make_board(name);
        hw::ScopedPortBackend backend(board->machine);
        const TPMD pmd = detect();
        TSPD spd;
        SpdImage image{};
        std::vector<std::tuple<sim::Dir, int, std::uint16_t>> traces[2];
        for (bool asus : {false, true}) {
            board->machine.clear_trace();
            spd.ReadSlot(asus, pmd.did, static_cast<std::uint32_t>(pmd.bad), 0, image);
            for (const auto& a : board->machine.trace())
                traces[asus].emplace_back(a.dir, a.width, a.port);
        }
        EXPECT_FALSE(traces[0].empty());
        EXPECT_EQ(traces[0], traces[1]);
    }
}

TEST(ReadSlot, NoControllerTouchesNoPort) {
    for (const char* name : {"no-controller", "sis630-acpi-off", "sis5595-no-partner"}) {
        SCOPED_TRACE(name);
        auto board = sim::make_board(name);
        hw::ScopedPortBackend backend(board->machine);
        const TPMD pmd = detect();
        ASSERT_EQ(pmd.bad, -1);
        board->machine.clear_trace();
        TSPD spd;
        spd.Row[3]->Status = "earlier";
        for (bool asus : {false, true}) {
            for (int slot = 0; slot < kSpdSlots; ++slot) {
                SpdImage image = filled(0xAA);
                spd.ReadSlot(asus, pmd.did, static_cast<std::uint32_t>(pmd.bad), slot, image);
                EXPECT_EQ(image, expected_image(*board, slot, false));
            }
        }
        EXPECT_TRUE(board->machine.trace().empty());
        EXPECT_EQ(spd.Row[3]->Status, "earlier");
    }
}

TEST(ReadSlot, SlotOutsideZeroToSevenIsNotAddressed) {
    auto board = sim::make_board("piix4");
    hw::ScopedPortBackend backend(board->machine);
    const TPMD pmd = detect();
    // Something that would answer at 0x58 and 0x4F.
    board->dimm_sockets().attach(0x58).bytes.fill(0x80);
    board->dimm_sockets().attach(0x4F).bytes.fill(0x80);
    board->machine.clear_trace();
    TSPD spd;
    for (int slot : {-1, 8, 1000}) {
        SpdImage image = filled(0xAA);
        spd.ReadSlot(true, pmd.did, static_cast<std::uint32_t>(pmd.bad), slot, image);
        EXPECT_TRUE(std::all_of(image.begin(), image.begin() + 128, [](auto b) { return b == 0; }));
    }
    EXPECT_TRUE(board->machine.trace().empty());
}

// The default family's address register (base + 4) shows which device was
// read: slot 5 is 0x55, sent as 0xAB with the read bit.
TEST(ReadSlot, Slot5IsDevice0x55InOffsetOrder) {
    auto board = sim::make_board("piix4");
    hw::ScopedPortBackend backend(board->machine);
    const TPMD pmd = detect();
    board->remove_module(0);
    board->remove_module(1);
    std::vector<std::uint8_t> bytes(128);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x80 ^ i);
    ASSERT_TRUE(board->set_module(5, bytes));
    board->machine.clear_trace();
    TSPD spd;
    SpdImage image{};
    spd.ReadSlot(false, pmd.did, static_cast<std::uint32_t>(pmd.bad), 5, image);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.begin()));

    std::vector<std::uint32_t> addresses, offsets;
    for (const auto& a : board->machine.trace()) {
        if (a.dir != sim::Dir::Out || a.width != 8) continue;
        if (a.port == 0x5004) addresses.push_back(a.value);
        if (a.port == 0x5003) offsets.push_back(a.value);
    }
    EXPECT_EQ(addresses, std::vector<std::uint32_t>(129, 0xAB));
    ASSERT_EQ(offsets.size(), 129u);
    EXPECT_EQ(offsets[0], 0u) << "the probe";
    for (std::uint32_t i = 0; i < 128; ++i) EXPECT_EQ(offsets[i + 1], i);
}

TEST(ReadSlot, FailedProbeWithTheSwitchOnIsOnePair) {
    auto board = sim::make_board("asus-vt82c686a");
    hw::ScopedPortBackend backend(board->machine);
    const TPMD pmd = detect();
    ASSERT_EQ(board->module(4), nullptr);
    TSPD spd;
    SpdImage image = filled(0xAA);
    spd.ReadSlot(true, pmd.did, static_cast<std::uint32_t>(pmd.bad), 4, image);
    EXPECT_EQ(image, expected_image(*board, 4, false));
    EXPECT_EQ(board->host()->transactions_started(), 1u);
    const std::vector<Event> one_pair = {Event::Connect, Event::Forwarded, Event::Disconnect};
    EXPECT_EQ(board->mux()->log(), one_pair);
}

// A board whose SPD device fails one offset after a good probe.
class FlakyEeprom final : public sim::SmbusTarget {
  public:
    explicit FlakyEeprom(sim::SmbusSegment& bus) : bus_(bus) {}
    std::optional<std::uint8_t> read_byte_data(std::uint8_t addr, std::uint8_t cmd) override {
        if (cmd == 17) return std::nullopt;
        return bus_.read_byte_data(addr, cmd);
    }
    std::optional<std::uint16_t> read_word_data(std::uint8_t a, std::uint8_t c) override {
        return bus_.read_word_data(a, c);
    }
    bool write_byte_data(std::uint8_t a, std::uint8_t c, std::uint8_t v) override {
        return bus_.write_byte_data(a, c, v);
    }
    bool write_word_data(std::uint8_t a, std::uint8_t c, std::uint16_t v) override {
        return bus_.write_word_data(a, c, v);
    }

  private:
    sim::SmbusSegment& bus_;
};

TEST(ReadSlot, ByteFailingAfterAGoodProbeReadsAsFF) {
    sim::Machine board;
    hw::ScopedPortBackend backend(board);
    sim::SmbusSegment sockets;
    sim::SpdEeprom& eeprom = sockets.attach(0x52);
    for (int i = 0; i < 256; ++i) eeprom.bytes[i] = static_cast<std::uint8_t>(i + 1);
    eeprom.bytes[2] = 4;
    FlakyEeprom flaky(sockets);
    auto& pm = board.add_pci(0, 7, 3, 0x71138086u, std::uint8_t{1});
    pm.make_io_bar(0x90, 0x6000, 16);
    board.add_io<sim::SmbusHost>(sim::HostFamily::Default, pm, std::uint8_t{0x90}, flaky);
    TSPD spd;
    SpdImage image{};
    spd.ReadSlot(false, 0x71138086, 0x6000, 2, image);
    for (std::size_t i = 0; i < 128; ++i) {
        EXPECT_EQ(image[i], i == 17 ? 0xFF : eeprom.bytes[i]) << i;
    }
    EXPECT_FALSE(spd.Row[0]->Description.empty()) << "decoded like any image";
}

TEST(ReadSlot, ImageWhoseByte0IsZeroIsKeptButNotDecoded) {
    auto board = sim::make_board("ich2");
    hw::ScopedPortBackend backend(board->machine);
    const TPMD pmd = detect();
    std::vector<std::uint8_t> bytes(256, 0x11);
    bytes[0] = 0x00;
    ASSERT_TRUE(board->set_module(3, bytes));
    TSPD spd;
    SpdImage image{};
    spd.ReadSlot(false, pmd.did, static_cast<std::uint32_t>(pmd.bad), 0, image);  // a DDR module
    ASSERT_TRUE(SpdPresent(image));
    std::vector<std::string> rows;
    for (const auto& row : spd.Row) rows.push_back(row->Description + "|" + row->Status);

    spd.ReadSlot(false, pmd.did, static_cast<std::uint32_t>(pmd.bad), 3, image);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 128, image.begin()));
    spd.ReadSlot(false, pmd.did, static_cast<std::uint32_t>(pmd.bad), 7, image);  // empty socket
    for (std::size_t i = 0; i < kSpdRows; ++i) {
        EXPECT_EQ(spd.Row[i]->Description + "|" + spd.Row[i]->Status, rows[i]) << i;
    }
}

std::vector<std::string> rows_of(const TSPD& spd) {
    std::vector<std::string> rows;
    for (const auto& row : spd.Row) rows.push_back(row->Description + "|" + row->Status);
    return rows;
}

TEST(Decode, ByteTwoChoosesTheDecoder) {
    auto board = sim::make_board("demo");
    const sim::SpdEeprom* ddr = board->module(2);
    const sim::SpdEeprom* sdram = board->module(0);
    ASSERT_NE(ddr, nullptr);
    ASSERT_NE(sdram, nullptr);
    ASSERT_EQ(ddr->bytes[2], 7);

    SpdImage image;
    std::copy(ddr->bytes.begin(), ddr->bytes.end(), image.begin());
    TSPD spd;
    spd.DecimalSeparator = ',';
    spd.Decode(image);
    TSPD comma, point;
    DDRfmt_desc(comma);
    DDRfmt_decode(comma, image, ',');
    DDRfmt_desc(point);
    DDRfmt_decode(point, image, '.');
    EXPECT_EQ(rows_of(spd), rows_of(comma));
    EXPECT_NE(rows_of(spd), rows_of(point)) << "the reader's decimal separator is used";

    // Every other memory type goes to the SDRAM layout.
    for (std::uint8_t type : {0x04, 0x00, 0x06, 0x08, 0xFF}) {
        SCOPED_TRACE(int{type});
        std::copy(sdram->bytes.begin(), sdram->bytes.end(), image.begin());
        image[2] = type;
        TSPD reader, direct;
        reader.Decode(image);
        SDRAMfmt_desc(direct);
        SDRAMfmt_decode(direct, image);
        EXPECT_EQ(rows_of(reader), rows_of(direct));
    }
}

}  // namespace
}  // namespace ynvex
