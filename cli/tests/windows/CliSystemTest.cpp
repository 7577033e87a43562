#include "CliDevicesFixture.h"
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace miran::cli::test_support {

const char* const kEndlessDevice = "NUL";

namespace {

TEST_F(CliDevices, ProgrammerWithoutPermissionIsReportedWithTheFix) {
    const std::string denied = R"([{"no_permission": true}])";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info"}, {"update"}, {"info", "--serial", "PM0000000001"}, {"list"}, {"update", "--all"}}) {
        EXPECT_EQ(Run(denied, args), kExitPermission) << args[0];
        EXPECT_TRUE(Contains(err.str(), "Permission denied: programmer PM0000000001 at virtual:hidraw0"))
            << err.str();
        EXPECT_TRUE(Contains(err.str(), "Fix: close the other programs that use the programmer"))
            << err.str();
        EXPECT_FALSE(Contains(err.str(), "udev")) << err.str();
        EXPECT_FALSE(Contains(err.str(), "No programmer")) << err.str();
    }
    EXPECT_EQ(Run(denied, {"list"}), kExitPermission);
    EXPECT_EQ(out.str(), "PM0000000001  virtual:hidraw0  permission denied\n");
}

// Windows needs no udev rule: asking for one is a usage error that says so.
TEST_F(CliDevices, PrintUdevRulesIsLinuxOnly) {
    ASSERT_EQ(Run("[]", {"--print-udev-rules"}), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "miran-isp-up-cli: --print-udev-rules: udev rules are for Linux only; Windows needs none\n");
}

} // namespace
} // namespace miran::cli::test_support
