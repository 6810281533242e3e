// ynvex-cli: the command-line front-end. Everything but main() lives here,
// so that the argument handling and the commands can be driven from tests.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace ynvex::cli {

enum class Command { Report, Detect, Decode, Dump };

struct SpdOverride {
    int slot = 0;
    std::string file;  // empty: the slot is emptied ("none")
};

struct Options {
    Command command = Command::Report;
    std::optional<int> slot;         // --slot N
    bool all = false;                // --all
    std::vector<std::string> files;  // decode FILE...
    std::string dir;                 // dump DIR
    bool force = false;
    std::string machine;  // empty: the real mainboard
    std::vector<SpdOverride> spd;
    bool list_machines = false;
    bool asus = false;
    std::optional<char> sep;
    bool ansi = false;
    bool json = false;
    std::string trace;
};

// What the program takes from its surroundings, injectable for tests.
struct Environment {
    char locale_separator = '.';      // the user's decimal separator
    std::filesystem::path sysfs_pci;  // where kernel drivers are looked up
};

// The decimal point of the user's LC_NUMERIC locale, when it is one byte;
// '.' otherwise.
char LocaleDecimalSeparator();

struct ParseOutcome {
    std::optional<Options> options;  // set when the program should run
    int exit_code = 0;               // otherwise: 0 after --help/--version, 2 on a usage error
};

// Parses argv; prints help or version to out, usage errors with the usage
// to err.
ParseOutcome ParseArguments(int argc, const char* const* argv, std::ostream& out,
                            std::ostream& err);

// Runs parsed options: 0 success, 1 a runtime failure.
int Run(const Options& options, const Environment& env, std::ostream& out, std::ostream& err);

// ParseArguments, then Run.
int Main(int argc, const char* const* argv, const Environment& env, std::ostream& out,
         std::ostream& err);

}  // namespace ynvex::cli
