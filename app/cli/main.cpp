// ynvex-cli: see ynvex-cli(1).
#include <iostream>

#include "app/cli/Ucli.h"
#include "hw/ports_linux.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    ynvex::cli::Environment env;
    env.locale_separator = ynvex::cli::LocaleDecimalSeparator();
    env.sysfs_pci = ynvex::hw::kSysfsPciDevices;
    const int status = ynvex::cli::Main(argc, argv, env, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "ynvex-cli: cannot write the output\n";
        return 1;
    }
    return status;
}
