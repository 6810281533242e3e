// Decode plus report of one image, and the all-slots report on the demo
// board with the cost in port accesses.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "app/Ureport.h"
#include "detect/Upmd.h"
#include "sim/boards.h"
#include "sim/spd_samples.h"
#include "spd/Uspd.h"

namespace {

using ynvex::SpdImage;

// The first compiled-in sample of the memory type (SPD byte 2).
SpdImage SampleImage(std::uint8_t type) {
    SpdImage image{};
    for (const auto& sample : ynvex::sim::spd_samples()) {
        if (sample.bytes.size() > 2 && sample.bytes[2] == type) {
            std::copy_n(sample.bytes.begin(), ynvex::kSpdBytesUsed, image.begin());
            break;
        }
    }
    return image;
}

// A slot cycle's share without the hardware: a fresh reader, the decode and
// the report text.
void BM_DecodeAndReport(benchmark::State& state, std::uint8_t type) {
    const SpdImage image = SampleImage(type);
    if (!ynvex::SpdPresent(image)) {
        state.SkipWithError("no sample of this memory type");
        return;
    }
    for (auto _ : state) {
        ynvex::TSPD spd;
        spd.Decode(image);
        std::string report = ynvex::MakeReport(spd, 0, image);
        benchmark::DoNotOptimize(report.data());
    }
}
BENCHMARK_CAPTURE(BM_DecodeAndReport, sdram, std::uint8_t{4});
BENCHMARK_CAPTURE(BM_DecodeAndReport, ddr, std::uint8_t{7});

}  // namespace

namespace {

// "Seek Clip" on the demo board: detection once, then the eight slots read
// and reported on every iteration, with the port accesses it costs.
void BM_SeekAllSlotsDemo(benchmark::State& state) {
    auto board = ynvex::sim::make_board("demo");
    ynvex::hw::ScopedPortBackend backend(board->machine);
    ynvex::TPMD controller;
    controller.Unhide();
    controller.Detect();
    std::size_t accesses = 0;
    for (auto _ : state) {
        board->machine.clear_trace();
        std::string text =
            ynvex::SeekAllSlots(false, controller.did, static_cast<std::uint32_t>(controller.bad));
        benchmark::DoNotOptimize(text.data());
        accesses = board->machine.trace().size();
    }
    state.counters["port_accesses_per_slot"] =
        static_cast<double>(accesses) / ynvex::sim::kDimmSlots;
    state.counters["port_accesses"] = static_cast<double>(accesses);
}
BENCHMARK(BM_SeekAllSlotsDemo)->Unit(benchmark::kMicrosecond);

}  // namespace
