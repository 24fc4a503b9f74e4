// orvik-cli doctor on this machine and on a fake system tree (ORVIK_SYSROOT) whose cable is a
// pseudo-terminal, so that the real open path is taken.

#include "CliSpawn.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace test = orvik::test;

namespace {

struct CliRun {
    int code = -1;
    std::string out;
};

class CliDoctor : public ::testing::Test {
protected:
    void SetUp() override {
        root = test::MakeScratchProgramDir("doctor", app);
        ASSERT_FALSE(root.empty());
    }
    void TearDown() override {
        ::unsetenv("ORVIK_SYSROOT");
        fs::remove_all(root);
    }

    CliRun doctor(std::vector<std::string> args, const std::string& sysroot = {}) const {
        if (sysroot.empty())
            ::unsetenv("ORVIK_SYSROOT");
        else
            ::setenv("ORVIK_SYSROOT", sysroot.c_str(), 1);
        args.insert(args.begin(), "doctor");
        const std::string outPath = root + "/stdout";
        const pid_t pid = orvik::test::SpawnCli(app, std::move(args), root, outPath, {});
        int status = 0;
        ::waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadWholeFile(outPath)};
    }

    std::string root;
    std::string app;
};

TEST_F(CliDoctor, ThisMachineHasNoCable) {
    // Pseudo-terminals and legacy ports are no USB serial devices; the test machine has none.
    const CliRun json = doctor({"--json"});
    EXPECT_EQ(json.code, 69) << json.out;
    EXPECT_EQ(json.out.rfind("{\"ok\":false,", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"id\":\"no-cable\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"fix\":\"Plug the cable into the computer"), std::string::npos);

    const CliRun text = doctor({});
    EXPECT_EQ(text.code, 69);
    EXPECT_NE(text.out.find("Problem: No programming cable was found"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("  Fix: Plug the cable"), std::string::npos) << text.out;

    EXPECT_EQ(doctor({"--verbose"}).code, 64);
}

TEST_F(CliDoctor, CableThatOpensIsReady) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);

    // A CH340 on USB port 1-1 whose device node leads to the pseudo-terminal.
    const std::string sys = root + "/sys";
    const std::string usb = sys + "/devices/pci0000:00/usb1/1-1";
    fs::create_directories(usb + "/1-1:1.0/ttyUSB0");
    test::WriteWholeFile(usb + "/idVendor", "1a86\n");
    test::WriteWholeFile(usb + "/idProduct", "7523\n");
    test::WriteWholeFile(usb + "/product", "USB Serial\n");
    fs::create_directory_symlink("../../../../bus/usb/drivers/ch341", usb + "/1-1:1.0/driver");
    fs::create_directories(sys + "/class/tty/ttyUSB0");
    fs::create_directory_symlink("../../../../sys/devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0",
                                 sys + "/class/tty/ttyUSB0/device");
    fs::create_directories(root + "/dev");
    fs::create_symlink(name, root + "/dev/ttyUSB0");

    const CliRun r = doctor({"--json"}, root);
    ::close(master);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(
        r.out.rfind("{\"ok\":true,\"configuredPort\":1,\"configuredDevice\":\"/dev/ttyUSB0\"", 0),
        0u)
        << r.out;
    EXPECT_NE(r.out.find("\"path\":\"/dev/ttyUSB0\",\"byId\":[],\"usb\":true,\"vendorId\":\"1a86\","
                         "\"productId\":\"7523\",\"product\":\"USB Serial\",\"manufacturer\":\"\","
                         "\"driver\":\"ch341\",\"port\":1,\"opens\":true"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"id\":\"ready\""), std::string::npos) << r.out;
}

} // namespace
