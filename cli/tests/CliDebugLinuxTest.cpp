#include "CliTestSupport.h"
#include "SysfsTree.h"
#include "cli/Cli.h"
#include "linux/LinuxHidPlatform.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

using namespace miran::cli;
using miran::cli::test_support::Lines;
namespace hid = miran::hid;

namespace {

bool HasLine(const std::string& text, const std::string& line) {
    const std::vector<std::string> lines = Lines(text);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Over hidraw the debug log names each node left out of the list and each open that failed.
TEST(CliDebugLinux, NamesSkippedNodesAndFailedOpens) {
    hid::linux_backend::SysfsTree tree;
    tree.AddUsb("hidraw0", "0003:16C0:2AA8.0001", "0003:000016C0:00002AA8", "PM0000000001", "0100");
    tree.Link("hidraw0", "/dev/null");
    tree.AddUsb("hidraw1", "0003:16C0:2AA8.0002", "garbage", "PM0000000002", "0100");
    tree.AddUsb("hidraw2", "0003:16C0:2AA8.0003", "0003:000016C0:00002AA8", "PM0000000003", "0100");
    tree.AddUsb("hidraw3", "0003:16C0:2AA8.0004", "0003:000016C0:00002AA8", "PM0000000004", "0100");
    tree.Repoint("hidraw3", "/dev/zero"); // /dev now leads to another device than sysfs names
    tree.AddUsb("hidraw4a", "0003:16C0:2AA8.0005", "0003:000016C0:00002AA8", "PM0000000005", "0100");
    const std::string dev = (tree.Root() / "dev").string();
    const std::vector<std::string> expected = {
        "skipped hidraw4a: malformed name",
        "skipped hidraw1: attributes missing (HID_ID \"garbage\")",
        "open " + dev + "/hidraw2 for reading and writing: No such file or directory (errno 2)",
        "open " + dev + "/hidraw3: identity mismatch, the node is no longer 0003:16C0:2AA8.0004",
        "open " + dev + "/hidraw3 for reading and writing: No such device (errno 19)",
    };

    auto run = [&](std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        Environment env{out, err, false, [](std::chrono::milliseconds) {},
                        std::make_shared<hid::linux_backend::LinuxHidPlatform>(
                            hid::linux_backend::LinuxHidPaths{tree.Roots(), tree.Root() / "run-udev"})};
        RunCli(args, env);
        return err.str();
    };
    const std::string debug = run({"--debug", "list"});
    const std::string plain = run({"list"});
    for (const std::string& line : expected) {
        EXPECT_TRUE(HasLine(debug, line)) << line << "\nin:\n" << debug;
        EXPECT_FALSE(HasLine(plain, line)) << line;
    }
}

// The system's backend is made once --debug is known, so its choice of hot-plug source is said too.
TEST(CliDebugLinux, SaysHowTheSystemBackendHearsHotplug) {
    std::ostringstream out;
    std::ostringstream err;
    Environment env{out, err, false, [](std::chrono::milliseconds) {}};
    RunCli({"--debug", "list"}, env);
    const std::vector<std::string> lines = Lines(err.str());
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("hotplug source: ", 0) == 0 || line.rfind("no hidraw class in ", 0) == 0;
    })) << err.str();
}

} // namespace
