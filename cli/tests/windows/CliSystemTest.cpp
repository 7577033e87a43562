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
        EXPECT_TRUE(Contains(err_.str(), "Permission denied: programmer PM0000000001 at virtual:hidraw0"))
            << err_.str();
        EXPECT_TRUE(Contains(err_.str(), "Fix: close the other programs that use the programmer"))
            << err_.str();
        EXPECT_FALSE(Contains(err_.str(), "udev")) << err_.str();
        EXPECT_FALSE(Contains(err_.str(), "No programmer")) << err_.str();
    }
    EXPECT_EQ(Run(denied, {"list"}), kExitPermission);
    EXPECT_EQ(out_.str(), "PM0000000001  virtual:hidraw0  permission denied\n");
}

// Windows needs no udev rule: asking for one is a usage error that says so.
TEST_F(CliDevices, PrintUdevRulesIsLinuxOnly) {
    ASSERT_EQ(Run("[]", {"--print-udev-rules"}), kExitUsage);
    EXPECT_EQ(out_.str(), "");
    EXPECT_EQ(err_.str(),
              "miran-isp-up-cli: --print-udev-rules: udev rules are for Linux only; Windows needs none\n");
}

} // namespace
} // namespace miran::cli::test_support
