#include "CliDevicesFixture.h"
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace miran;
using namespace miran::cli;
using miran::cli::test_support::CliDevices;
using miran::cli::test_support::CurrentProgrammer;
using miran::cli::test_support::Lines;
using nlohmann::json;

namespace {

constexpr int kIdentificationTransfers = 14;
constexpr int kUpdateTransfers = 72;

std::string Devices(const std::vector<std::string>& devices) {
    std::string list = "[";
    for (const std::string& device : devices) {
        list += list.size() > 1 ? "," : "";
        list += device;
    }
    return list + "]";
}

int Transfers(const std::string& trace) {
    const auto lines = Lines(trace);
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("Set ", 0) == 0 || line.rfind("Get ", 0) == 0;
    }));
}

// Only a programmer that runs the image's version with the digits to be written is left alone, and then
// nothing but identification goes over the wire.
TEST_F(CliDevices, IfNeededSkipsOnlyACurrentProgrammer) {
    const std::string current = Devices({CurrentProgrammer()});
    struct Case {
        std::string devices;
        std::vector<std::string> args;
        std::string out;
        int transfers;
    } cases[] = {
        {current, {"update", "--if-needed"}, "PM0000000001: already current\n", kIdentificationTransfers},
        {current,
         {"update", "--if-needed", "--serial", "PM0000000001"},
         "PM0000000001: already current\n",
         kIdentificationTransfers},
        {current,
         {"update", "--if-needed", "--usb-serial", "4711000000001"},
         "PM0000000001: already current\n",
         kIdentificationTransfers},
        // No reboot to wait for.
        {current,
         {"update", "--if-needed", "--verify"},
         "PM0000000001: already current\n",
         kIdentificationTransfers},
        {current,
         {"update", "--if-needed", "--all"},
         "PM0000000001: already current\n",
         kIdentificationTransfers},
        // Other digits, another version, or no --if-needed: updated.
        {current,
         {"update", "--if-needed", "--usb-serial", "4711000000002"},
         "PM0000000001: OK\n",
         kUpdateTransfers},
        {"[{}]", {"update", "--if-needed"}, "PM0000000001: OK\n", kUpdateTransfers},
        {current, {"update"}, "PM0000000001: OK\n", kUpdateTransfers},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "--trace");
        const std::string where = c.args.back();
        EXPECT_EQ(Run(c.devices, args), kExitOk) << where << '\n' << err_.str();
        EXPECT_EQ(out_.str(), c.out) << where;
        EXPECT_EQ(Transfers(err_.str()), c.transfers) << where;
    }
}

TEST_F(CliDevices, IfNeededResultsSaySkipped) {
    ASSERT_EQ(Run(Devices({CurrentProgrammer(), "{}"}), {"update", "--if-needed", "--all", "--json"}),
              kExitOk)
        << err_.str();
    std::map<std::string, json> results;
    for (const std::string& line : Lines(out_.str())) {
        const json event = json::parse(line);
        if (event["event"] == "result")
            results[event["serial"]] = event;
    }
    EXPECT_EQ(results["PM0000000001"], json({{"event", "result"},
                                             {"ok", true},
                                             {"exit_code", 0},
                                             {"serial", "PM0000000001"},
                                             {"message", "already current"},
                                             {"verified", false},
                                             {"skipped", true}}));
    EXPECT_EQ(results["PM0000000002"]["message"], "OK");
    EXPECT_EQ(results["PM0000000002"]["skipped"], false);
}

} // namespace
