// Cost of one configuration cycle through the port seam on the simulated bus.
#include <benchmark/benchmark.h>

#include "hw/Upcicfg.h"
#include "sim/machine.h"

namespace {

void BM_PciConfigDwordRead(benchmark::State& state) {
    ynvex::sim::Machine board;
    board.add_pci(0, 7, 3, 0x71138086u);
    board.set_tracing(false);
    ynvex::hw::ScopedPortBackend backend(board);
    for (auto _ : state) benchmark::DoNotOptimize(ynvex::PCIcfg_rdd(0, 7, 3, 0));
}
BENCHMARK(BM_PciConfigDwordRead);

}  // namespace
