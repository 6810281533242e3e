// libFuzzer target: the dump-file reader, the decoders and the report on
// arbitrary input. Run it with scripts/fuzz.sh.
//
// Every input goes through the reader as a file's contents would; an input
// of 128 bytes or more is also decoded directly as an SPD image, so that the
// fuzzer reaches every decoder branch without first having to learn one of
// the dump formats.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Udumpfile.h"
#include "app/Ureport.h"
#include "app/Uutf8.h"
#include "spd/Uspd.h"

namespace {

void DecodeAndReport(const ynvex::SpdImage& image) {
    ynvex::TSPD spd;
    if (ynvex::SpdPresent(image)) spd.Decode(image);
    const std::string report = ynvex::MakeReport(spd, 0, image);
    // The UTF-8 form must be valid whatever the rows hold.
    const std::string utf8 = ynvex::AnsiToUtf8(report);
    if (!ynvex::SpdPresent(image) && !report.empty()) __builtin_trap();
    if (utf8.size() < report.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    const ynvex::SpdDump dump = ynvex::ParseSpdDump(contents);
    if (dump.ok()) {
        ynvex::SpdImage image{};
        for (std::size_t i = 0; i < dump.bytes.size(); ++i) image[i] = dump.bytes[i];
        DecodeAndReport(image);
    } else if (dump.error.empty()) {
        __builtin_trap();
    }
    if (size >= ynvex::kSpdBytesUsed) {
        ynvex::SpdImage image{};
        for (std::size_t i = 0; i < ynvex::kSpdBytesUsed; ++i) image[i] = data[i];
        DecodeAndReport(image);
    }
    return 0;
}
