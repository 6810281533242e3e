// ynvex-cli run as a process, against the simulated mainboards, the dump
// fixtures and the real (refusing) kernel.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/Udumpfile.h"
#include "app/Ureport.h"
#include "app/Uutf8.h"
#include "app/Uversion.h"
#include "app/Uviews.h"
#include "detect/Upmd.h"
#include "hw/ports_linux.h"
#include "sim/boards.h"
#include "sim/machine.h"
#include "spd/Uspd.h"

extern char** environ;

namespace ynvex {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

const fs::path kDumps = fs::path(YNVEX_TEST_DATA) / "dumpfile";

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

// A scratch folder per test.
class Scratch {
  public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "ynvex-cli-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
    }
    ~Scratch() { fs::remove_all(dir_); }
    const fs::path& dir() const { return dir_; }
    fs::path operator/(const std::string& name) const { return dir_ / name; }

  private:
    fs::path dir_;
};

// Runs the program with the C locale, stdout and stderr captured in files.
Result RunCli(const std::vector<std::string>& args) {
    Scratch scratch;
    const std::string out_path = scratch / "stdout";
    const std::string err_path = scratch / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    std::vector<std::string> env_strings;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string var = *e;
        if (!var.starts_with("LC_") && !var.starts_with("LANG")) env_strings.push_back(var);
    }
    env_strings.push_back("LC_ALL=C");
    std::vector<char*> envp;
    for (auto& var : env_strings) envp.push_back(var.data());
    envp.push_back(nullptr);
    std::vector<std::string> argv_strings = {YNVEX_CLI};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argv_strings) argv.push_back(arg.data());
    argv.push_back(nullptr);

    Result result;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, YNVEX_CLI, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << YNVEX_CLI;
        return result;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = Slurp(out_path);
    result.err = Slurp(err_path);
    return result;
}

std::string Join(const std::vector<std::string>& args) {
    std::string text;
    for (const auto& arg : args) text += arg + " ";
    return text;
}

// What the program should see on a simulated board, computed in-process.
struct BoardRun {
    explicit BoardRun(const std::string& name) : board(sim::make_board(name)) {
        if (board == nullptr) return;
        hw::ScopedPortBackend backend(board->machine);
        controller.Unhide();
        controller.Detect();
    }
    SpdImage read(int slot, bool asus = false) {
        SpdImage image{};
        hw::ScopedPortBackend backend(board->machine);
        spd.ReadSlot(asus, controller.did, static_cast<std::uint32_t>(controller.bad), slot, image);
        return image;
    }
    std::string report(int slot) {
        const SpdImage image = read(slot);
        return MakeReport(spd, slot, image);
    }
    std::vector<std::string> trace() const {
        std::vector<std::string> lines;
        for (const auto& access : board->machine.trace())
            lines.push_back(sim::format_access(access));
        return lines;
    }

    std::unique_ptr<sim::Board> board;
    TPMD controller;
    TSPD spd;
};

std::vector<int> PresentSlots(const std::string& machine) {
    BoardRun run(machine);
    std::vector<int> slots;
    for (int slot = 0; slot < 8; ++slot) {
        if (SpdPresent(run.read(slot))) slots.push_back(slot);
    }
    return slots;
}

std::string DecodedReport(const SpdBytes& bytes, int slot, char sep = '.') {
    SpdImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    TSPD spd;
    spd.DecimalSeparator = sep;
    if (SpdPresent(image)) spd.Decode(image);
    return MakeReport(spd, slot, image);
}

SpdBytes DumpBytes(const std::string& file) {
    const SpdDump dump = ReadSpdDumpFile(kDumps / file);
    EXPECT_TRUE(dump.ok()) << dump.error;
    return dump.bytes;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// "<in|out><8|16|32> <port> <value>": the port as 4 and the value as 2, 4 or
// 8 lower-case hex digits by width.
bool IsTraceLine(const std::string& line) {
    std::istringstream in(line);
    std::string access, port, value;
    if (!(in >> access >> port >> value) || !in.eof()) return false;
    const std::size_t dir = access.starts_with("out") ? 3 : access.starts_with("in") ? 2 : 0;
    const std::string width = access.substr(dir);
    if (dir == 0 || (width != "8" && width != "16" && width != "32")) return false;
    const auto lower_hex = [](const std::string& text, std::size_t digits) {
        return text.size() == digits &&
               text.find_first_not_of("0123456789abcdef") == std::string::npos;
    };
    return lower_hex(port, 4) && lower_hex(value, std::stoul(width) / 4) &&
           line == access + " " + port + " " + value;
}

// ---------------------------------------------------------------- basics

TEST(CliBasics, VersionIsTheWindowsVersionText) {
    const Result r = RunCli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, strVersion + "\n");
    EXPECT_EQ(r.out, "Ver.0.5.4.0\n");
    EXPECT_THAT(r.err, IsEmpty());
}

TEST(CliBasics, HelpListsCommandsAndOptionsOnStdout) {
    const Result r = RunCli({"--help"});
    EXPECT_EQ(r.code, 0);
    for (const char* word : {"Usage", "report", "detect", "decode", "dump", "--slot", "--all",
                             "--machine", "--spd", "--list-machines", "--asus", "--sep", "--ansi",
                             "--json", "--trace", "--force", "--version"}) {
        EXPECT_THAT(r.out, HasSubstr(word));
    }
    EXPECT_THAT(r.err, IsEmpty());
}

TEST(CliBasics, ListMachinesPrintsEveryPresetAsNameTabDescription) {
    const Result r = RunCli({"--list-machines"});
    EXPECT_EQ(r.code, 0);
    std::string expected;
    for (const auto& preset : sim::board_presets()) {
        expected += preset.name + "\t" + preset.description + "\n";
    }
    EXPECT_EQ(r.out, expected);
    EXPECT_THAT(r.out, HasSubstr("demo\t"));
}

struct UsageCase {
    std::vector<std::string> args;
    const char* message;
};

void PrintTo(const UsageCase& c, std::ostream* os) {
    *os << Join(c.args);
}

class CliUsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageErrors, ExitTwoWithTheMessageAndTheUsageOnStderr) {
    const Result r = RunCli(GetParam().args);
    EXPECT_EQ(r.code, 2) << Join(GetParam().args);
    EXPECT_THAT(r.out, IsEmpty());
    EXPECT_THAT(r.err, StartsWith("ynvex-cli: "));
    EXPECT_THAT(r.err, HasSubstr(GetParam().message));
    EXPECT_THAT(r.err, HasSubstr("Usage:"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliUsageErrors,
    ::testing::Values(
        UsageCase{{"--bogus"}, "--bogus"}, UsageCase{{"frobnicate"}, "frobnicate"},
        UsageCase{{"--machine", "demo", "--slot", "8"}, "--slot"},
        UsageCase{{"--machine", "demo", "--slot", "x"}, "--slot"},
        UsageCase{{"--machine", "demo", "--slot", "1", "--all"}, "excludes"},
        UsageCase{{"--spd", "0=x.bin"}, "--spd requires --machine"},
        UsageCase{{"--machine", "no-such-board"}, "unknown machine 'no-such-board'"},
        UsageCase{{"--machine", "demo", "--spd", "8=x.bin"}, "not '8=x.bin'"},
        UsageCase{{"--machine", "demo", "--spd", "0"}, "not '0'"},
        UsageCase{{"--machine", "demo", "--spd", "0="}, "not '0='"},
        UsageCase{{"--machine", "demo", "--spd", "1=a", "--spd", "1=none"},
                  "--spd names slot 1 twice"},
        UsageCase{{"decode"}, "FILE is required"},
        UsageCase{{"--machine", "demo", "dump"}, "DIR is required"},
        UsageCase{{"--machine", "demo", "--sep", "ab"}, "--sep takes one printable"},
        UsageCase{{"--machine", "demo", "--sep", "5"}, "not '5'"},
        UsageCase{{"--machine", "demo", "--ansi", "--json"}, "excludes"},
        UsageCase{{"--machine", "demo", "detect", "--slot", "1"},
                  "--slot does not apply to the detect command"},
        UsageCase{{"decode", "--machine", "demo", "x.bin"},
                  "--machine does not apply to the decode command"},
        UsageCase{{"decode", "--all", "x.bin"}, "--all does not apply to the decode command"},
        UsageCase{{"--machine", "demo", "--force"}, "--force does not apply to the report command"},
        UsageCase{{"--list-machines", "detect"}, "--list-machines takes no command"},
        UsageCase{{"detect", "decode", "x.bin"}, "decode"}));

// ------------------------------------------------------- the real mainboard

TEST(CliRealHardware, RefusedPortAccessFailsPlainlyAndTouchesNothing) {
    if (hw::RequestPortAccess().empty()) GTEST_SKIP() << "this kernel grants port access";
    Scratch scratch;
    const fs::path trace = scratch / "trace.txt";
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"--all", "--trace", trace.string()},
                                                 {"detect"},
                                                 {"dump", (scratch / "out").string()}}) {
        const Result r = RunCli(args);
        EXPECT_EQ(r.code, 1) << Join(args);
        EXPECT_THAT(r.out, IsEmpty());
        EXPECT_THAT(r.err, StartsWith("ynvex-cli: cannot get I/O port access: iopl(3) failed"));
        EXPECT_THAT(r.err, HasSubstr("root or the CAP_SYS_RAWIO capability"));
    }
    EXPECT_FALSE(fs::exists(trace));
    EXPECT_FALSE(fs::exists(scratch / "out"));
}

// ------------------------------------------------------------------ report

TEST(CliReport, AnsiOutputIsByteExactTheReportOfTheSlot) {
    const auto slots = PresentSlots("demo");
    ASSERT_FALSE(slots.empty());
    BoardRun run("demo");
    const Result slot0 = RunCli({"--machine", "demo", "--ansi"});
    EXPECT_EQ(slot0.code, 0);
    EXPECT_EQ(slot0.out, BoardRun("demo").report(0));
    for (int slot : slots) {
        const Result r =
            RunCli({"report", "--ansi", "--slot", std::to_string(slot), "--machine", "demo"});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.out, run.report(slot)) << "slot " << slot;
        EXPECT_THAT(r.out, StartsWith("--- [ DIMM " + std::to_string(slot) + " ] ---"));
        EXPECT_THAT(r.err, IsEmpty());
    }
}

TEST(CliReport, AllJoinsTheReportsOfThePresentSlotsInOrder) {
    const auto slots = PresentSlots("demo");
    ASSERT_GE(slots.size(), 2u) << "the demo board should show a joined report";
    BoardRun run("demo");
    std::string expected;
    for (int slot = 0; slot < 8; ++slot) expected += run.report(slot);
    const Result r = RunCli({"--machine", "demo", "--all", "--ansi"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

TEST(CliReport, DefaultOutputIsUtf8WithTheStoredApostropheAsU2019) {
    // A DDR SDRAM module's row texts hold the stored 0x81 0x66 pair.
    const std::string ddr = (kDumps / "ddr.bin").string();
    const Result ansi = RunCli({"--machine", "demo", "--spd", "1=" + ddr, "--slot", "1", "--ansi"});
    const Result utf8 = RunCli({"--machine", "demo", "--spd", "1=" + ddr, "--slot", "1"});
    ASSERT_EQ(ansi.code, 0) << ansi.err;
    ASSERT_EQ(utf8.code, 0) << utf8.err;
    EXPECT_THAT(ansi.out, HasSubstr("\x81\x66"));
    EXPECT_EQ(utf8.out, AnsiToUtf8(ansi.out));
    EXPECT_THAT(utf8.out, HasSubstr("\xE2\x80\x99"));
    EXPECT_EQ(utf8.out.find('\x81'), std::string::npos);
}

TEST(CliReport, EmptySlotPrintsNothingAndANoteOnStderr) {
    const Result one = RunCli({"--machine", "demo", "--spd", "6=none", "--slot", "6"});
    EXPECT_EQ(one.code, 0);
    EXPECT_THAT(one.out, IsEmpty());
    EXPECT_EQ(one.err, "ynvex-cli: slot 6: no module (SPD byte 0 is 0)\n");

    std::vector<std::string> all = {"--machine", "demo", "--all"};
    for (int slot = 0; slot < 8; ++slot) all.push_back("--spd=" + std::to_string(slot) + "=none");
    const Result none = RunCli(all);
    EXPECT_EQ(none.code, 0);
    EXPECT_THAT(none.out, IsEmpty());
    EXPECT_EQ(none.err, "ynvex-cli: no module in any slot\n");
}

TEST(CliReport, SpdPutsADumpIntoASlotOfTheBoard) {
    const std::string sdram = (kDumps / "sdram.i2cdump").string();
    const Result r = RunCli({"--machine", "demo", "--spd", "4=" + sdram, "--slot", "4", "--ansi"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, DecodedReport(DumpBytes("sdram.i2cdump"), 4));
}

TEST(CliReport, SpdFileErrorsAreRuntimeFailures) {
    Scratch scratch;
    std::ofstream(scratch / "short.bin", std::ios::binary) << std::string(20, '\x80');
    struct Case {
        std::string file;
        std::string message;
    };
    for (const Case& c : {Case{(scratch / "missing.bin").string(), "cannot open"},
                          Case{(scratch / "short.bin").string(), "holds only 20 bytes"}}) {
        const Result r = RunCli({"--machine", "demo", "--spd", "2=" + c.file});
        EXPECT_EQ(r.code, 1);
        EXPECT_THAT(r.out, IsEmpty());
        EXPECT_EQ(r.err.rfind("ynvex-cli: " + c.file + ": ", 0), 0u) << r.err;
        EXPECT_THAT(r.err, HasSubstr(c.message));
    }
}

TEST(CliReport, OptionsMayStandBeforeOrAfterTheCommandWord) {
    const std::string file = (kDumps / "ddr.hex").string();
    const Result before = RunCli({"--ansi", "--slot", "3", "decode", file});
    const Result inside = RunCli({"decode", "--ansi", "--slot", "3", file});
    const Result after = RunCli({"decode", file, "--slot=3", "--ansi"});
    ASSERT_EQ(before.code, 0) << before.err;
    EXPECT_EQ(before.out, DecodedReport(DumpBytes("ddr.hex"), 3));
    EXPECT_EQ(inside.out, before.out);
    EXPECT_EQ(after.out, before.out);
    EXPECT_EQ(inside.code, 0);
    EXPECT_EQ(after.code, 0);
}

TEST(CliReport, SepSetsTheDecimalSeparatorOfTheDdrTimings) {
    const std::string file = (kDumps / "ddr.bin").string();
    const Result dot = RunCli({"decode", "--ansi", file});
    const Result comma = RunCli({"decode", "--ansi", "--sep", ",", file});
    ASSERT_EQ(comma.code, 0) << comma.err;
    EXPECT_EQ(dot.out, DecodedReport(DumpBytes("ddr.bin"), 0, '.'));
    EXPECT_EQ(comma.out, DecodedReport(DumpBytes("ddr.bin"), 0, ','));
    EXPECT_NE(comma.out, dot.out);
}

TEST(CliReport, AsusSwitchesTheMultiplexerAroundEveryByte) {
    // asus-piix4: the switch sits on port 0xE437.
    Scratch scratch;
    const fs::path on = scratch / "on";
    const fs::path off = scratch / "off";
    EXPECT_EQ(RunCli({"--machine", "asus-piix4", "--asus", "--trace", on.string()}).code, 0);
    EXPECT_EQ(RunCli({"--machine", "asus-piix4", "--trace", off.string()}).code, 0);
    BoardRun run("asus-piix4");
    run.read(0, true);
    EXPECT_EQ(Lines(Slurp(on)), run.trace());
    EXPECT_THAT(Slurp(on), HasSubstr(" e437 "));
    EXPECT_THAT(Slurp(off), Not(HasSubstr(" e437 ")));
}

// ------------------------------------------------------------------ detect

TEST(CliDetect, PrintsTheRecordInOrderWithItsNumberFormats) {
    BoardRun run("demo");
    const TPMD& c = run.controller;
    ASSERT_NE(c.bad, -1);
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "name: %s\ndid: 0x%08X\ndev: %d\nfunc: %d\nrid: %d\nbad: 0x%04X\n",
                  c.name.c_str(), c.did, c.dev, c.func, c.rid, static_cast<unsigned>(c.bad));
    const Result r = RunCli({"detect", "--machine", "demo"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_THAT(r.err, IsEmpty());
}

TEST(CliDetect, NothingFoundGivesUnknownAndMinusOne) {
    std::string machine;
    for (const auto& preset : sim::board_presets()) {
        if (BoardRun(preset.name).controller.did == kPmdNoKey) {
            machine = preset.name;
            break;
        }
    }
    ASSERT_FALSE(machine.empty()) << "a preset without a controller";
    const Result r = RunCli({"--machine", machine, "detect"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "name: Unknown\ndid: -1\ndev: -1\nfunc: -1\nrid: -1\nbad: -1\n");

    const Result report = RunCli({"--machine", machine, "--all"});
    EXPECT_EQ(report.code, 0);
    EXPECT_THAT(report.out, IsEmpty());
    EXPECT_THAT(report.err, HasSubstr("no usable SMBus controller found"));
}

// ------------------------------------------------------------------ decode

TEST(CliDecode, EachFileIsReportedUnderItsPosition) {
    const Result r = RunCli({"decode", "--ansi", (kDumps / "sdram-256.bin").string(),
                             (kDumps / "ddr.hex").string(), (kDumps / "sdram.i2cdump").string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, DecodedReport(DumpBytes("sdram-256.bin"), 0) +
                         DecodedReport(DumpBytes("ddr.hex"), 1) +
                         DecodedReport(DumpBytes("sdram.i2cdump"), 2));
}

TEST(CliDecode, ABadFileIsNamedAndTheOthersAreStillDecoded) {
    Scratch scratch;
    std::ofstream(scratch / "short.bin", std::ios::binary) << std::string(100, '\x80');
    std::ofstream(scratch / "words.txt") << "this is not a dump\n";
    const std::string missing = (scratch / "missing.bin").string();
    const Result r = RunCli({"decode", "--ansi", missing, (kDumps / "ddr.bin").string(),
                             (scratch / "short.bin").string(), (scratch / "words.txt").string(),
                             (kDumps / "sdram-256.bin").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, DecodedReport(DumpBytes("ddr.bin"), 1) +
                         DecodedReport(DumpBytes("sdram-256.bin"), 4));
    EXPECT_EQ(r.err, "ynvex-cli: " + missing + ": cannot open: No such file or directory\n" +
                         "ynvex-cli: " + (scratch / "short.bin").string() +
                         ": holds only 100 bytes, an SPD dump needs at least 128\n" +
                         "ynvex-cli: " + (scratch / "words.txt").string() +
                         ": line 1: 'this' is not a byte of two hex digits\n");
}

TEST(CliDecode, AnImageWithByte0Zero) {
    Scratch scratch;
    std::string bytes(128, '\x11');
    bytes[0] = 0;
    std::ofstream(scratch / "zero.bin", std::ios::binary) << bytes;
    const Result r = RunCli({"decode", (scratch / "zero.bin").string()});
    EXPECT_EQ(r.code, 0);
    EXPECT_THAT(r.out, IsEmpty());
    EXPECT_THAT(r.err, HasSubstr("zero.bin: SPD byte 0 is 0"));
}

// -------------------------------------------------------------------- dump

TEST(CliDump, SavesPresentSlotsThatDecodeBackToTheSameReports) {
    Scratch scratch;
    const fs::path dir = scratch / "backup";
    const Result r = RunCli({"--machine", "demo", "dump", dir.string(), "--all"});
    ASSERT_EQ(r.code, 0) << r.err;
    BoardRun run("demo");
    std::string listed;
    for (int slot = 0; slot < 8; ++slot) {
        const fs::path file = dir / ("dimm" + std::to_string(slot) + ".bin");
        const SpdImage image = run.read(slot);
        const std::string report = MakeReport(run.spd, slot, image);
        if (!SpdPresent(image)) {
            EXPECT_FALSE(fs::exists(file)) << file;
            continue;
        }
        listed += file.string() + "\n";
        EXPECT_EQ(Slurp(file), std::string(image.begin(), image.begin() + 128));
        // The backup decodes to the report of the board, slot for slot.
        const Result decoded =
            RunCli({"decode", "--ansi", "--slot", std::to_string(slot), file.string()});
        EXPECT_EQ(decoded.out, report);
        const Result restored =
            RunCli({"--machine", "demo", "--spd", "7=" + file.string(), "--slot", "7", "--ansi"});
        EXPECT_EQ(restored.out, DecodedReport(DumpBytes(file), 7));
    }
    EXPECT_EQ(r.out, listed);
}

TEST(CliDump, NeverOverwritesWithoutForce) {
    Scratch scratch;
    const fs::path file = scratch / "dimm0.bin";
    std::ofstream(file) << "keep me";
    const Result refused = RunCli({"--machine", "demo", "dump", scratch.dir().string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err, "ynvex-cli: " + file.string() + " exists; --force overwrites it\n");
    EXPECT_EQ(Slurp(file), "keep me");

    const Result forced = RunCli({"--machine", "demo", "dump", "--force", scratch.dir().string()});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(Slurp(file).size(), 128u);
}

TEST(CliDump, AFileInPlaceOfTheFolderIsAFailure) {
    Scratch scratch;
    std::ofstream(scratch / "plain") << "x";
    const Result r = RunCli({"--machine", "demo", "dump", (scratch / "plain").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.err, HasSubstr("cannot use " + (scratch / "plain").string()));
}

// -------------------------------------------------------------------- json

TEST(CliJson, ReportDocumentHoldsTheControllerAndEverySlot) {
    const Result r = RunCli({"--machine", "demo", "--all", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    BoardRun run("demo");
    const TPMD& c = run.controller;
    EXPECT_EQ(doc["controller"]["name"], c.name);
    EXPECT_EQ(doc["controller"]["did"], c.did);
    EXPECT_EQ(doc["controller"]["dev"], c.dev);
    EXPECT_EQ(doc["controller"]["func"], c.func);
    EXPECT_EQ(doc["controller"]["rid"], c.rid);
    EXPECT_EQ(doc["controller"]["bad"], c.bad);
    ASSERT_EQ(doc["slots"].size(), 8u);
    for (int slot = 0; slot < 8; ++slot) {
        const auto& entry = doc["slots"][slot];
        const SpdImage image = run.read(slot);
        EXPECT_EQ(entry["slot"], slot);
        EXPECT_EQ(entry["present"], SpdPresent(image));
        ASSERT_EQ(entry["bytes"].size(), 128u);
        for (std::size_t i = 0; i < 128; ++i) EXPECT_EQ(entry["bytes"][i], image[i]);
        if (!SpdPresent(image)) {
            EXPECT_TRUE(entry["rows"].empty());
            continue;
        }
        const std::size_t rows = ShownRowCount(run.spd);
        ASSERT_EQ(entry["rows"].size(), rows);
        for (std::size_t i = 0; i < rows; ++i) {
            EXPECT_EQ(entry["rows"][i]["description"], AnsiToUtf8(run.spd.Row[i]->Description));
            EXPECT_EQ(entry["rows"][i]["status"], AnsiToUtf8(run.spd.Row[i]->Status));
        }
    }
}

TEST(CliJson, DecodeAndDetectDocuments) {
    Scratch scratch;
    const std::string missing = (scratch / "missing.bin").string();
    const Result r = RunCli({"decode", "--json", (kDumps / "ddr.bin").string(), missing});
    EXPECT_EQ(r.code, 1);
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_TRUE(doc["controller"].is_null());
    ASSERT_EQ(doc["slots"].size(), 2u);
    EXPECT_EQ(doc["slots"][0]["file"], (kDumps / "ddr.bin").string());
    EXPECT_EQ(doc["slots"][0]["present"], true);
    EXPECT_EQ(doc["slots"][0]["rows"].size(), 44u);  // DDR SDRAM: rows 44 and 45 unused
    EXPECT_THAT(doc["slots"][1]["error"].get<std::string>(), HasSubstr("cannot open"));

    const Result detect = RunCli({"detect", "--json", "--machine", "demo"});
    const auto record = nlohmann::json::parse(detect.out);
    EXPECT_EQ(record["controller"]["name"], BoardRun("demo").controller.name);
}

// ------------------------------------------------------------------- trace

TEST(CliTrace, EveryPortAccessInOrderOnePerLine) {
    Scratch scratch;
    const fs::path trace = scratch / "trace";
    const Result r = RunCli({"--machine", "demo", "--slot", "0", "--trace", trace.string()});
    EXPECT_EQ(r.code, 0);
    const auto lines = Lines(Slurp(trace));
    BoardRun run("demo");
    run.read(0);
    EXPECT_EQ(lines, run.trace());
    ASSERT_GT(lines.size(), 128u);
    for (const auto& line : lines) EXPECT_TRUE(IsTraceLine(line)) << line;
    for (const char* wrong : {"in8 0CF8 ff", "in16 0cf8 ff", "out8 eb 01", "out32 0cf8 8000f8f",
                              "in4 0cf8 f", "in8  0cf8 ff", "in8 0cf8 ff x"}) {
        EXPECT_FALSE(IsTraceLine(wrong)) << wrong;
    }
}

TEST(CliTrace, AnUnwritableTraceFileIsAFailure) {
    const Result r = RunCli({"--machine", "demo", "--trace", "/nonexistent/dir/trace"});
    EXPECT_EQ(r.code, 1);
    EXPECT_THAT(r.out, IsEmpty());
    EXPECT_THAT(r.err, HasSubstr("cannot write the trace file /nonexistent/dir/trace"));
}

}  // namespace
}  // namespace ynvex
