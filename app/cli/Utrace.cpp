#include "app/cli/Utrace.h"

#include "sim/machine.h"

namespace ynvex::cli {

void TraceBackend::write(bool in, int width, std::uint16_t port, std::uint32_t value) {
    const std::string line =
        sim::format_access({in ? sim::Dir::In : sim::Dir::Out, width, port, value});
    std::fputs(line.c_str(), file_);
    std::fputc('\n', file_);
}

std::uint8_t TraceBackend::in8(std::uint16_t port) {
    const std::uint8_t value = inner_.in8(port);
    write(true, 8, port, value);
    return value;
}
std::uint16_t TraceBackend::in16(std::uint16_t port) {
    const std::uint16_t value = inner_.in16(port);
    write(true, 16, port, value);
    return value;
}
std::uint32_t TraceBackend::in32(std::uint16_t port) {
    const std::uint32_t value = inner_.in32(port);
    write(true, 32, port, value);
    return value;
}
// Outputs are logged before they happen, in the order the simulated
// mainboard records them.
void TraceBackend::out8(std::uint16_t port, std::uint8_t value) {
    write(false, 8, port, value);
    inner_.out8(port, value);
}
void TraceBackend::out16(std::uint16_t port, std::uint16_t value) {
    write(false, 16, port, value);
    inner_.out16(port, value);
}
void TraceBackend::out32(std::uint16_t port, std::uint32_t value) {
    write(false, 32, port, value);
    inner_.out32(port, value);
}

}  // namespace ynvex::cli
