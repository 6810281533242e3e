// Scans PCI bus 0 of a simulated 440BX/PIIX4 mainboard through the program's
// own configuration access and lists every function that answers.
#include <cstdio>

#include "hw/Upcicfg.h"
#include "hw/Usmbus.h"
#include "sim/machine.h"

int main() {
    using namespace ynvex;
    sim::Machine board;
    board.add_pci(0, 0, 0, 0x71908086u);  // 440BX host bridge
    board.add_pci(0, 7, 0, 0x71108086u);  // PIIX4 PCI-to-ISA bridge
    board.add_pci(0, 7, 1, 0x71118086u);  // PIIX4 IDE
    board.add_pci(0, 7, 2, 0x71128086u);  // PIIX4 USB
    board.add_pci(0, 7, 3, 0x71138086u, std::uint8_t{2}).make_io_bar(0x90, 0x5000, 16);
    hw::ScopedPortBackend backend(board);

    for (std::uint32_t dev = 0; dev < 32; ++dev) {
        for (std::uint32_t func = 0; func < 8; ++func) {
            const std::uint32_t key = SMBrd_did(dev, func);
            if (key == 0xFFFFFFFF) {
                if (func == 0) break;
                continue;
            }
            std::printf("00:%02x.%u %04x:%04x rev %02x", static_cast<unsigned>(dev),
                        static_cast<unsigned>(func), static_cast<unsigned>(key & 0xFFFF),
                        static_cast<unsigned>(key >> 16),
                        static_cast<unsigned>(SMBrd_rid(dev, func)));
            if (key == 0x71138086) {
                std::printf("  SMBus base 0x%04x",
                            static_cast<unsigned>(SMBrdwo_bad(dev, func, 0x90)));
            }
            std::printf("\n");
            const bool multi = (PCIcfg_rdb2(0, dev, 0, 0x0C) & 0x80) != 0;
            if (func == 0 && !multi) break;
        }
    }
    std::printf("%zu port accesses, %zu delay writes\n", board.trace().size(),
                board.delay_writes());
    return 0;
}
