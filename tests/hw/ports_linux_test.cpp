#include "hw/ports_linux.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace ynvex::hw {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(LinuxPortAccess, RefusalSaysWhatFailedAndWhatIsNeeded) {
    const std::string message = RequestPortAccess();
    if (message.empty()) GTEST_SKIP() << "this kernel grants iopl(3) to the test";
    EXPECT_THAT(message, HasSubstr("iopl(3) failed"));
    EXPECT_THAT(message, HasSubstr("root or the CAP_SYS_RAWIO capability"));
}

TEST(LinuxPortAccess, RefusalNamesTheKernelsReason) {
    const std::string denied = PortAccessRefusal(EPERM);
    EXPECT_THAT(denied, HasSubstr("Operation not permitted"));
    EXPECT_THAT(denied, HasSubstr("root or the CAP_SYS_RAWIO capability"));
    EXPECT_THAT(denied, Not(HasSubstr("kernel built")));

    const std::string missing = PortAccessRefusal(ENOSYS);
    EXPECT_THAT(missing, HasSubstr("Function not implemented"));
    EXPECT_THAT(missing, HasSubstr("a kernel built with iopl support"));
}

// A throw-away copy of the part of sysfs the driver check reads.
class FakeSysfs : public ::testing::Test {
  protected:
    FakeSysfs() {
        std::string pattern = (fs::temp_directory_path() / "ynvex-sysfs-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        devices_ = root_ / "bus/pci/devices";
        fs::create_directories(devices_);
        fs::create_directories(root_ / "bus/pci/drivers/i2c_piix4");
    }
    ~FakeSysfs() override { fs::remove_all(root_); }

    void add_function(const std::string& name, const std::string& driver = {}) {
        fs::create_directories(devices_ / name);
        if (!driver.empty()) {
            fs::create_directory_symlink("../../../../bus/pci/drivers/" + driver,
                                         devices_ / name / "driver");
        }
    }

    fs::path root_;
    fs::path devices_;
};

TEST_F(FakeSysfs, FindsTheDriverBoundToTheControllerFunction) {
    add_function("0000:00:00.0", "agpgart-intel");
    add_function("0000:00:07.3", "i2c_piix4");
    add_function("0000:00:1f.3", "i801_smbus");
    EXPECT_EQ(BoundKernelDriver(devices_, 7, 3), "i2c_piix4");
    // Device numbers are two lower-case hex digits in the folder name.
    EXPECT_EQ(BoundKernelDriver(devices_, 31, 3), "i801_smbus");
}

TEST_F(FakeSysfs, NoDriverMeansNoWarning) {
    add_function("0000:00:07.3");                // listed, nothing bound
    add_function("0001:00:11.0", "i2c_viapro");  // same place, another PCI domain
    add_function("0000:00:07.2", "uhci_hcd");    // a neighbour function
    struct Case {
        int dev, func;
    };
    for (const Case c :
         {Case{7, 3}, Case{17, 0}, Case{9, 0}, Case{-1, -1}, Case{32, 0}, Case{7, 8}}) {
        EXPECT_EQ(BoundKernelDriver(devices_, c.dev, c.func), "") << c.dev << "." << c.func;
        EXPECT_EQ(KernelDriverWarning(devices_, c.dev, c.func), "") << c.dev << "." << c.func;
    }
}

TEST_F(FakeSysfs, WarningNamesTheDriverAndTheFunction) {
    add_function("0000:00:1f.3", "i801_smbus");
    const std::string warning = KernelDriverWarning(devices_, 31, 3);
    EXPECT_THAT(warning, HasSubstr("i801_smbus"));
    EXPECT_THAT(warning, HasSubstr("0000:00:1f.3"));
    EXPECT_THAT(warning, HasSubstr("disturb each other"));
}

TEST(LinuxSysfs, MissingTreeIsNotAnError) {
    EXPECT_EQ(BoundKernelDriver("/nonexistent/ynvex/devices", 7, 3), "");
}

}  // namespace
}  // namespace ynvex::hw
