// Named simulated mainboards: one for every known SMBus controller, ASUS
// boards with the SMBus switch for every multiplexer, the awkward cases that
// detection has to get right, and a demo board.
//
//   auto board = sim::make_board("demo");
//   hw::ScopedPortBackend backend(board->machine);
//
// A board holds up to eight DIMM sockets, SPD EEPROMs at SMBus addresses 0x50
// to 0x57, behind its SMBus host controller (and, on the ASUS boards, behind
// the switch). The presets put real modules into some sockets; set_module and
// remove_module change them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/asus_mux.h"
#include "sim/machine.h"
#include "sim/smbus.h"
#include "sim/smbus_host.h"

namespace ynvex::sim {

inline constexpr int kDimmSlots = 8;
inline constexpr std::uint8_t kFirstSpdAddress = 0x50;

class Board {
  public:
    Board() = default;
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    Machine machine;  // install with hw::ScopedPortBackend

    // Puts a module with these SPD bytes (128 to 256 of them; the rest of the
    // EEPROM reads 0xFF) into DIMM slot 0..7. False, changing nothing, for a
    // bad slot or a dump of the wrong size.
    bool set_module(int slot, const std::vector<std::uint8_t>& bytes);
    // Empties the socket: the slot then NACKs.
    void remove_module(int slot);
    // The EEPROM in a socket; nullptr when it is empty or the slot is bad.
    const SpdEeprom* module(int slot) const;

    // The DIMM sockets' side of the bus.
    SmbusSegment& dimm_sockets() { return dimms_; }
    // The controller the sockets hang off; nullptr on a board without one.
    SmbusHost* host() const { return host_; }
    // The ASUS switch; nullptr on a board without one.
    AsusMux* mux() const { return mux_.get(); }

    // Board construction. The switch, if any, goes in before the controller:
    // the controller then drives the sockets through it.
    AsusMux& install_mux(std::function<bool()> selects_dimms);
    SmbusHost& add_host(HostFamily family, PciFunction& function, std::uint8_t base_register);
    // A controller on a bus of its own, with nothing on it.
    SmbusHost& add_spare_host(HostFamily family, PciFunction& function, std::uint8_t base_register);

  private:
    SmbusSegment dimms_;
    std::vector<std::unique_ptr<SmbusSegment>> spare_buses_;
    std::unique_ptr<AsusMux> mux_;
    SmbusHost* host_ = nullptr;
};

struct BoardPreset {
    std::string name;
    std::string description;
};

// Every preset, in a stable order.
const std::vector<BoardPreset>& board_presets();
// A fresh board; nullptr for an unknown name.
std::unique_ptr<Board> make_board(std::string_view name);

}  // namespace ynvex::sim
