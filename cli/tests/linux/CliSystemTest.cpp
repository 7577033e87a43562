#include "CliDevicesFixture.h"
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace miran::cli::test_support {

const char* const kEndlessDevice = "/dev/zero";

namespace {

TEST_F(CliDevices, ProgrammerWithoutPermissionIsReportedWithTheFix) {
    const std::string denied = R"([{"no_permission": true}])";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info"}, {"update"}, {"info", "--serial", "PM0000000001"}, {"list"}, {"update", "--all"}}) {
        EXPECT_EQ(Run(denied, args), kExitPermission) << args[0];
        EXPECT_TRUE(Contains(err_.str(), "Permission denied: programmer PM0000000001 at virtual:hidraw0"))
            << err_.str();
        EXPECT_TRUE(Contains(err_.str(), "--print-udev-rules")) << err_.str();
        EXPECT_FALSE(Contains(err_.str(), "No programmer")) << err_.str();
    }
    EXPECT_EQ(Run(denied, {"list"}), kExitPermission);
    EXPECT_EQ(out_.str(), "PM0000000001  virtual:hidraw0  permission denied\n");
}

TEST_F(CliDevices, PrintUdevRulesGivesTheRuleForTheProgrammer) {
    ASSERT_EQ(Run("[]", {"--print-udev-rules"}), kExitOk);
    EXPECT_TRUE(Contains(out_.str(), R"(KERNEL=="hidraw*", SUBSYSTEM=="hidraw", ATTRS{idVendor}=="16c0", )"
                                     R"(ATTRS{idProduct}=="2aa8", TAG+="uaccess")"))
        << out_.str();
    EXPECT_FALSE(Contains(out_.str(), "MODE"));
}

} // namespace
} // namespace miran::cli::test_support
