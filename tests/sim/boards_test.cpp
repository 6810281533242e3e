// The board presets and the module sockets.
#include "sim/boards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/spd_samples.h"

namespace ynvex::sim {
namespace {

TEST(BoardPresets, NamesAreUniqueAndEveryOneBuilds) {
    std::set<std::string> names;
    for (const auto& preset : board_presets()) {
        SCOPED_TRACE(preset.name);
        EXPECT_TRUE(names.insert(preset.name).second) << "duplicate name";
        EXPECT_FALSE(preset.description.empty());
        EXPECT_NE(make_board(preset.name), nullptr);
    }
    EXPECT_TRUE(names.count("demo"));
    EXPECT_EQ(make_board("no-such-board"), nullptr);
    EXPECT_EQ(make_board(""), nullptr);
}

// Every module a preset carries is one of the compiled-in real dumps, padded
// with erased bytes when the dump has only 128.
TEST(BoardPresets, ModulesAreRealDumps) {
    for (const auto& preset : board_presets()) {
        auto board = make_board(preset.name);
        int modules = 0;
        for (int slot = 0; slot < kDimmSlots; ++slot) {
            const SpdEeprom* module = board->module(slot);
            if (module == nullptr) continue;
            ++modules;
            const bool known =
                std::any_of(spd_samples().begin(), spd_samples().end(), [&](const SpdSample& s) {
                    return std::equal(s.bytes.begin(), s.bytes.end(), module->bytes.begin()) &&
                           std::all_of(module->bytes.begin() + s.bytes.size(), module->bytes.end(),
                                       [](auto b) { return b == 0xFF; });
                });
            EXPECT_TRUE(known) << preset.name << " slot " << slot;
        }
        EXPECT_GE(modules, 1) << preset.name;
    }
}

TEST(SpdSamples, EveryDumpIsAnSdramOrDdrImage) {
    ASSERT_GE(spd_samples().size(), 10u);
    for (const SpdSample& s : spd_samples()) {
        SCOPED_TRACE(std::string(s.name));
        EXPECT_TRUE(s.bytes.size() == 128 || s.bytes.size() == 256);
        EXPECT_NE(s.bytes[0], 0);
        EXPECT_TRUE(s.bytes[2] == 4 || s.bytes[2] == 7);
    }
}

TEST(Board, SocketsTakeDumpsOf128To256Bytes) {
    Board board;
    const std::vector<std::uint8_t> short_dump(127, 0x80), dump(128, 0x80), full(256, 0x81),
        long_dump(257, 0x82);
    EXPECT_FALSE(board.set_module(0, short_dump));
    EXPECT_FALSE(board.set_module(0, long_dump));
    EXPECT_FALSE(board.set_module(-1, dump));
    EXPECT_FALSE(board.set_module(8, dump));
    EXPECT_EQ(board.module(0), nullptr);

    ASSERT_TRUE(board.set_module(7, dump));
    auto& sockets = board.dimm_sockets();
    EXPECT_EQ(sockets.read_byte_data(0x57, 127), 0x80);
    EXPECT_EQ(sockets.read_byte_data(0x57, 128), 0xFF) << "the rest is erased";
    ASSERT_TRUE(board.set_module(7, full));
    EXPECT_EQ(sockets.read_byte_data(0x57, 255), 0x81);
    board.remove_module(7);
    EXPECT_EQ(board.module(7), nullptr);
    EXPECT_EQ(sockets.read_byte_data(0x57, 0), std::nullopt);
    board.remove_module(9);  // nothing there, nothing happens
}

TEST(Board, AsusBoardsSwitchTheSocketsAndOthersDoNot) {
    for (const auto& preset : board_presets()) {
        auto board = make_board(preset.name);
        const bool asus = preset.name.rfind("asus-", 0) == 0;
        EXPECT_EQ(board->mux() != nullptr, asus) << preset.name;
        if (asus) {
            EXPECT_FALSE(board->mux()->connected()) << preset.name;
        }
    }
}

}  // namespace
}  // namespace ynvex::sim
