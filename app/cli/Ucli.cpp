#include "app/cli/Ucli.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <set>

#include "app/Udumpfile.h"
#include "app/Ureport.h"
#include "app/Uutf8.h"
#include "app/Uversion.h"
#include "app/Uviews.h"
#include "app/cli/Utrace.h"
#include "detect/Upmd.h"
#include "hw/ports_linux.h"
#include "sim/boards.h"
#include "spd/Uspd.h"

namespace ynvex::cli {
namespace {

constexpr const char* kProgram = "ynvex-cli";
constexpr int kSlots = kSpdSlots;
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char* CommandName(Command command) {
    switch (command) {
        case Command::Report:
            return "report";
        case Command::Detect:
            return "detect";
        case Command::Decode:
            return "decode";
        case Command::Dump:
            return "dump";
    }
    return "report";
}

// A usage error found after CLI11 has parsed: reported the same way as its own.
class UsageError : public CLI::ParseError {
  public:
    explicit UsageError(const std::string& message)
        : CLI::ParseError("UsageError", message, kExitUsage) {}
};

std::optional<SpdOverride> ParseSpdOverride(const std::string& text) {
    const std::size_t eq = text.find('=');
    if (eq != 1 || text[0] < '0' || text[0] > '7' || eq + 1 >= text.size()) return std::nullopt;
    SpdOverride spd;
    spd.slot = text[0] - '0';
    const std::string value = text.substr(eq + 1);
    if (value != "none") spd.file = value;
    return spd;
}

// Which options make sense with which command; anything else is refused
// rather than silently ignored.
struct Applicability {
    const char* option;
    std::set<Command> commands;
};

void CheckApplicability(const Options& o, const std::vector<std::string>& given) {
    using C = Command;
    const std::vector<Applicability> table = {
        {"--slot", {C::Report, C::Decode, C::Dump}},
        {"--all", {C::Report, C::Dump}},
        {"--force", {C::Dump}},
        {"--machine", {C::Report, C::Detect, C::Dump}},
        {"--spd", {C::Report, C::Detect, C::Dump}},
        {"--asus", {C::Report, C::Dump}},
        {"--trace", {C::Report, C::Detect, C::Dump}},
        {"--sep", {C::Report, C::Decode}},
        {"--ansi", {C::Report, C::Decode}},
        {"--json", {C::Report, C::Detect, C::Decode}},
    };
    for (const auto& row : table) {
        const bool used = std::find(given.begin(), given.end(), row.option) != given.end();
        if (used && !row.commands.contains(o.command)) {
            throw UsageError(std::string(row.option) + " does not apply to the " +
                             CommandName(o.command) + " command");
        }
    }
}

}  // namespace

char LocaleDecimalSeparator() {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const char* point = std::localeconv()->decimal_point;
        if (point != nullptr && std::strlen(point) == 1) separator = point[0];
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    return separator;
}

ParseOutcome ParseArguments(int argc, const char* const* argv, std::ostream& out,
                            std::ostream& err) {
    Options o;
    CLI::App app{
        "Reads the SPD EEPROMs of SDRAM and DDR SDRAM modules over the mainboard's SMBus, "
        "decodes them and prints a report.",
        kProgram};
    app.fallthrough();
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", strVersion, "Print the program's version and exit");
    app.footer(
        "Commands: report (default), detect, decode FILE..., dump DIR.\n"
        "Options may stand before or after the command word.\n"
        "Exit status: 0 success, 1 runtime failure, 2 usage error.");

    int slot = 0;
    std::string sep;
    std::vector<std::string> spd;
    auto* slot_opt = app.add_option("--slot", slot, "DIMM slot 0 to 7 (report and dump: default 0)")
                         ->check(CLI::Range(0, 7).description(""))
                         ->type_name("N");
    auto* all_opt = app.add_flag("--all", o.all, "Every slot that holds a module");
    slot_opt->excludes(all_opt);
    auto* machine_opt = app.add_option("--machine", o.machine,
                                       "Use a built-in simulated mainboard (see --list-machines)")
                            ->type_name("NAME");
    app.add_option("--spd", spd, "SLOT=FILE or SLOT=none: put a dump into a slot of --machine")
        ->needs(machine_opt)
        ->type_name("SLOT=FILE");
    app.add_flag("--list-machines", o.list_machines, "List the simulated mainboards and exit");
    app.add_flag("--asus", o.asus, "Switch the ASUS SMBus multiplexer around every byte");
    app.add_option("--sep", sep, "Decimal separator (default: the locale's)")->type_name("C");
    auto* ansi_opt =
        app.add_flag("--ansi", o.ansi, "Write the texts as their stored 8-bit bytes, not UTF-8");
    auto* json_opt = app.add_flag("--json", o.json, "Write a JSON document instead of the text");
    ansi_opt->excludes(json_opt);
    app.add_option("--trace", o.trace, "Write every port access to FILE")->type_name("FILE");
    app.add_flag("--force", o.force, "dump: overwrite existing files");

    auto* report_cmd = app.add_subcommand("report", "Print the text report (the default)");
    auto* detect_cmd = app.add_subcommand("detect", "Print the SMBus controller record");
    auto* decode_cmd = app.add_subcommand("decode", "Decode SPD dump files without hardware");
    decode_cmd->add_option("FILE", o.files, "Raw binary, hex text or i2cdump output")->required();
    auto* dump_cmd = app.add_subcommand("dump", "Save each present slot's SPD as DIR/dimm<N>.bin");
    dump_cmd->add_option("DIR", o.dir, "Folder for the dump files")->required();

    try {
        app.parse(argc, argv);
        if (*report_cmd) o.command = Command::Report;
        if (*detect_cmd) o.command = Command::Detect;
        if (*decode_cmd) o.command = Command::Decode;
        if (*dump_cmd) o.command = Command::Dump;

        std::vector<std::string> given;
        for (const CLI::Option* opt : app.get_options()) {
            if (opt->count() > 0) given.push_back(opt->get_name());
        }
        if (o.list_machines) {
            if (given.size() > 1 || app.get_subcommands().size() > 0) {
                throw UsageError("--list-machines takes no command and no other option");
            }
            return {o, kExitOk};
        }
        CheckApplicability(o, given);
        if (slot_opt->count() > 0) o.slot = slot;
        if (app.count("--sep") > 0) {
            const auto c = sep.size() == 1 ? static_cast<unsigned char>(sep[0]) : 0;
            if (c < 0x21 || c > 0x7E || (c >= '0' && c <= '9')) {
                throw UsageError(
                    "--sep takes one printable ASCII character other than a digit, not '" + sep +
                    "'");
            }
            o.sep = static_cast<char>(c);
        }
        std::set<int> seen;
        for (const std::string& text : spd) {
            const auto parsed = ParseSpdOverride(text);
            if (!parsed) {
                throw UsageError("--spd takes SLOT=FILE or SLOT=none with SLOT 0 to 7, not '" +
                                 text + "'");
            }
            if (!seen.insert(parsed->slot).second) {
                throw UsageError("--spd names slot " + std::to_string(parsed->slot) + " twice");
            }
            o.spd.push_back(*parsed);
        }
        const auto& presets = sim::board_presets();
        if (!o.machine.empty() &&
            std::none_of(presets.begin(), presets.end(),
                         [&](const sim::BoardPreset& p) { return p.name == o.machine; })) {
            throw UsageError("unknown machine '" + o.machine +
                             "' (--list-machines lists the simulated mainboards)");
        }
        return {o, kExitOk};
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return {std::nullopt, kExitOk};
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return {std::nullopt, kExitOk};
    } catch (const CLI::CallForVersion&) {
        out << strVersion << '\n';
        return {std::nullopt, kExitOk};
    } catch (const CLI::ParseError& e) {
        err << kProgram << ": " << e.what() << "\n\n" << app.help();
        return {std::nullopt, kExitUsage};
    }
}

namespace {

// The mainboard the run talks to: the real one behind iopl, or a simulated
// one, with the trace writer in front when asked for; installed as the port
// backend for the lifetime of the object.
class Mainboard {
  public:
    ~Mainboard() {
        scope_.reset();
        if (trace_file_ != nullptr) std::fclose(trace_file_);
    }

    // Returns an error message, or empty when the board is ready.
    std::string Open(const Options& o) {
        hw::PortBackend* backend = nullptr;
        if (!o.machine.empty()) {
            board_ = sim::make_board(o.machine);
            if (board_ == nullptr) return "unknown machine '" + o.machine + "'";
            // The board's own in-memory trace would only grow; --trace
            // writes the accesses out instead.
            board_->machine.set_tracing(false);
            for (const SpdOverride& spd : o.spd) {
                if (spd.file.empty()) {
                    board_->remove_module(spd.slot);
                    continue;
                }
                const SpdDump dump = ReadSpdDumpFile(spd.file);
                if (!dump.ok()) return dump.error;
                if (!board_->set_module(spd.slot, {dump.bytes.begin(), dump.bytes.end()})) {
                    return "machine '" + o.machine + "' has no DIMM slot " +
                           std::to_string(spd.slot) + " for " + spd.file;
                }
            }
            backend = &board_->machine;
        } else {
            // Refused: nothing has been touched, not even the trace file.
            if (std::string refusal = hw::RequestPortAccess(); !refusal.empty()) return refusal;
            real_ = true;
            backend = &linux_;
        }
        if (!o.trace.empty()) {
            trace_file_ = std::fopen(o.trace.c_str(), "w");
            if (trace_file_ == nullptr) {
                return "cannot write the trace file " + o.trace + ": " + std::strerror(errno);
            }
            tracer_ = std::make_unique<TraceBackend>(*backend, trace_file_);
            backend = tracer_.get();
        }
        scope_.emplace(*backend);
        return {};
    }

    // Flushes the trace; an error message when it could not be written.
    std::string Close(const std::string& trace_name) {
        scope_.reset();
        if (trace_file_ == nullptr) return {};
        const bool failed = std::ferror(trace_file_) != 0;
        const bool closed = std::fclose(trace_file_) == 0;
        trace_file_ = nullptr;
        if (failed || !closed) return "cannot write the trace file " + trace_name;
        return {};
    }

    bool real() const { return real_; }

  private:
    std::unique_ptr<sim::Board> board_;
    hw::LinuxPortBackend linux_;
    bool real_ = false;
    std::FILE* trace_file_ = nullptr;
    std::unique_ptr<TraceBackend> tracer_;
    std::optional<hw::ScopedPortBackend> scope_;
};

TPMD DetectController() {
    TPMD pmd;
    pmd.Unhide();
    pmd.Detect();
    return pmd;
}

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

void PrintDetect(const TPMD& c, std::ostream& out) {
    out << "name: " << AnsiToUtf8(c.name) << '\n';
    out << "did: " << (c.did == kPmdNoKey ? std::string("-1") : Hex(c.did, 8)) << '\n';
    out << "dev: " << c.dev << '\n';
    out << "func: " << c.func << '\n';
    out << "rid: " << c.rid << '\n';
    out << "bad: " << (c.bad == -1 ? std::string("-1") : Hex(static_cast<std::uint32_t>(c.bad), 4))
        << '\n';
}

nlohmann::ordered_json ControllerJson(const TPMD& c) {
    return {
        {"name", AnsiToUtf8(c.name)},
        {"did", c.did == kPmdNoKey ? nlohmann::ordered_json(-1) : nlohmann::ordered_json(c.did)},
        {"dev", c.dev},
        {"func", c.func},
        {"rid", c.rid},
        {"bad", c.bad},
    };
}

nlohmann::ordered_json SlotJson(int slot, const TSPD& spd, const SpdImage& image) {
    nlohmann::ordered_json bytes = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < kSpdBytesUsed; ++i) bytes.push_back(image[i]);
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    const bool present = SpdPresent(image);
    if (present) {
        for (std::size_t i = 0; i < ShownRowCount(spd); ++i) {
            rows.push_back({{"description", AnsiToUtf8(spd.Row[i]->Description)},
                            {"status", AnsiToUtf8(spd.Row[i]->Status)}});
        }
    }
    return {{"slot", slot}, {"present", present}, {"bytes", bytes}, {"rows", rows}};
}

void PrintJson(const nlohmann::ordered_json& doc, std::ostream& out) {
    // File names need not be UTF-8; never let one abort the output.
    out << doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

void PrintText(const std::string& text, const Options& o, std::ostream& out) {
    if (o.ansi) {
        out << text;
    } else {
        out << AnsiToUtf8(text);
    }
}

std::vector<int> SelectedSlots(const Options& o) {
    if (!o.all) return {o.slot.value_or(0)};
    std::vector<int> slots(kSlots);
    for (int slot = 0; slot < kSlots; ++slot) slots[slot] = slot;
    return slots;
}

void NoteEmpty(const Options& o, std::ostream& err) {
    if (o.all) {
        err << kProgram << ": no module in any slot\n";
    } else {
        err << kProgram << ": slot " << o.slot.value_or(0) << ": no module (SPD byte 0 is 0)\n";
    }
}

class Runner {
  public:
    Runner(const Options& o, const Environment& env, std::ostream& out, std::ostream& err)
        : o_(o), env_(env), out_(out), err_(err) {
        spd_.DecimalSeparator = o.sep.value_or(env.locale_separator);
    }

    int Run() {
        if (o_.list_machines) {
            for (const auto& preset : sim::board_presets()) {
                out_ << preset.name << '\t' << preset.description << '\n';
            }
            return kExitOk;
        }
        if (o_.command == Command::Decode) return Decode();

        Mainboard board;
        if (std::string error = board.Open(o_); !error.empty()) return Fail(error);
        controller_ = DetectController();
        if (board.real()) {
            const std::string warning =
                hw::KernelDriverWarning(env_.sysfs_pci, controller_.dev, controller_.func);
            if (!warning.empty()) err_ << kProgram << ": " << warning << '\n';
        }
        int status = kExitOk;
        switch (o_.command) {
            case Command::Detect:
                Detect();
                break;
            case Command::Report:
                Report();
                break;
            case Command::Dump:
                status = Dump();
                break;
            case Command::Decode:
                break;
        }
        if (std::string error = board.Close(o_.trace); !error.empty()) return Fail(error);
        return status;
    }

  private:
    int Fail(const std::string& message) {
        err_ << kProgram << ": " << message << '\n';
        return kExitFailure;
    }

    void NoteNoController() {
        if (controller_.bad == -1) err_ << kProgram << ": no usable SMBus controller found\n";
    }

    void Read(int slot) {
        spd_.ReadSlot(o_.asus, controller_.did, static_cast<std::uint32_t>(controller_.bad), slot,
                      image_);
    }

    void Detect() {
        if (o_.json) {
            PrintJson({{"controller", ControllerJson(controller_)}}, out_);
        } else {
            PrintDetect(controller_, out_);
        }
    }

    void Report() {
        NoteNoController();
        std::string text;
        nlohmann::ordered_json slots = nlohmann::ordered_json::array();
        if (o_.all && !o_.json) {
            // Exactly what "Seek Clip" puts on the clipboard.
            text = SeekAllSlots(o_.asus, controller_.did,
                                static_cast<std::uint32_t>(controller_.bad), spd_.DecimalSeparator);
        } else {
            for (int slot : SelectedSlots(o_)) {
                Read(slot);
                text += MakeReport(spd_, slot, image_);
                if (o_.json) slots.push_back(SlotJson(slot, spd_, image_));
            }
        }
        if (o_.json) {
            PrintJson({{"controller", ControllerJson(controller_)}, {"slots", slots}}, out_);
        } else {
            PrintText(text, o_, out_);
        }
        if (text.empty()) NoteEmpty(o_, err_);
    }

    int Dump() {
        NoteNoController();
        std::error_code ec;
        const std::filesystem::path dir = o_.dir;
        std::filesystem::create_directories(dir, ec);
        if (!std::filesystem::is_directory(dir, ec)) {
            return Fail("cannot use " + o_.dir + " as the dump folder: " +
                        (ec ? ec.message() : std::string("not a directory")));
        }
        struct Saved {
            std::filesystem::path path;
            SpdBytes bytes;
        };
        std::vector<Saved> saves;
        for (int slot : SelectedSlots(o_)) {
            Read(slot);
            if (!SpdPresent(image_)) continue;
            Saved save{dir / ("dimm" + std::to_string(slot) + ".bin"), {}};
            std::copy_n(image_.begin(), kSpdBytesUsed, save.bytes.begin());
            saves.push_back(save);
        }
        if (saves.empty()) {
            NoteEmpty(o_, err_);
            return kExitOk;
        }
        // Refuse before writing anything, so that a refused run leaves the
        // folder as it was.
        if (!o_.force) {
            for (const Saved& save : saves) {
                if (std::filesystem::exists(std::filesystem::symlink_status(save.path, ec))) {
                    return Fail(save.path.string() + " exists; --force overwrites it");
                }
            }
        }
        for (const Saved& save : saves) {
            std::ofstream file(save.path, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(save.bytes.data()), save.bytes.size());
            file.close();
            if (!file) return Fail("cannot write " + save.path.string());
            out_ << save.path.string() << '\n';
        }
        return kExitOk;
    }

    int Decode() {
        int status = kExitOk;
        std::string text;
        nlohmann::ordered_json slots = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < o_.files.size(); ++i) {
            const std::string& file = o_.files[i];
            const SpdDump dump = ReadSpdDumpFile(file);
            if (!dump.ok()) {
                err_ << kProgram << ": " << dump.error << '\n';
                status = kExitFailure;
                if (o_.json) slots.push_back({{"file", file}, {"error", dump.error}});
                continue;
            }
            const int slot = o_.slot.value_or(static_cast<int>(i));
            image_.fill(0);
            std::copy(dump.bytes.begin(), dump.bytes.end(), image_.begin());
            if (SpdPresent(image_)) {
                spd_.Decode(image_);
            } else {
                err_ << kProgram << ": " << file << ": SPD byte 0 is 0, no module to decode\n";
            }
            text += MakeReport(spd_, slot, image_);
            if (o_.json) {
                nlohmann::ordered_json entry = SlotJson(slot, spd_, image_);
                entry["file"] = file;
                slots.push_back(entry);
            }
        }
        if (o_.json) {
            PrintJson({{"controller", nullptr}, {"slots", slots}}, out_);
        } else {
            PrintText(text, o_, out_);
        }
        return status;
    }

    const Options& o_;
    const Environment& env_;
    std::ostream& out_;
    std::ostream& err_;
    TPMD controller_;
    TSPD spd_;
    SpdImage image_{};
};

}  // namespace

int Run(const Options& options, const Environment& env, std::ostream& out, std::ostream& err) {
    return Runner(options, env, out, err).Run();
}

int Main(int argc, const char* const* argv, const Environment& env, std::ostream& out,
         std::ostream& err) {
    const ParseOutcome parsed = ParseArguments(argc, argv, out, err);
    if (!parsed.options) return parsed.exit_code;
    return Run(*parsed.options, env, out, err);
}

}  // namespace ynvex::cli
