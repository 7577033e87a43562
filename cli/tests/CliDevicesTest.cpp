#include "CliDevicesFixture.h"
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace miran::cli;
using miran::cli::test_support::CliDevices;
using miran::cli::test_support::Contains;
using miran::cli::test_support::Lines;
using nlohmann::json;

namespace {

TEST_F(CliDevices, ListShowsSerialNodeAndAccess) {
    ASSERT_EQ(Run(R"([{}, {"serial": "B-2"}])", {"list"}), kExitOk) << err.str();
    EXPECT_EQ(out.str(), "PM0000000001  virtual:hidraw0  ok\nB-2  virtual:hidraw1  ok\n");

    ASSERT_EQ(Run(R"([{}])", {"list", "--json"}), kExitOk);
    auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(json::parse(lines[0]), json({{"event", "device"},
                                           {"serial", "PM0000000001"},
                                           {"node", "virtual:hidraw0"},
                                           {"openable", true}}));
    EXPECT_EQ(json::parse(lines[1]),
              json({{"event", "result"}, {"ok", true}, {"exit_code", 0}, {"count", 1}}));

    ASSERT_EQ(Run("[]", {"list"}), kExitOk);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "No programmer found\n");
}

TEST_F(CliDevices, UpdateAllUpdatesEveryProgrammerAndReportsEachBySerial) {
    ASSERT_EQ(Run("[{}, {}, {}]", {"update", "--all", "--verify", "--json"}), kExitOk) << err.str();
    std::map<std::string, int> progress;
    std::map<std::string, json> results;
    for (const std::string& line : Lines(out.str())) {
        json event = json::parse(line);
        std::string serial = event.at("serial");
        if (event["event"] == "progress") {
            EXPECT_EQ(event["block"], ++progress[serial]) << "in order for each device";
        } else {
            results[serial] = event;
        }
    }
    EXPECT_EQ(progress,
              (std::map<std::string, int>{{"PM0000000001", 17}, {"PM0000000002", 17}, {"PM0000000003", 17}}));
    ASSERT_EQ(results.size(), 3u);
    for (const auto& [serial, result] : results) {
        EXPECT_EQ(result["ok"], true) << serial;
        EXPECT_EQ(result["verified"], true) << serial;
    }
    EXPECT_EQ(slept, 3 * (17 * 25 + 100));
}

TEST_F(CliDevices, UpdateAllShowsProgressLinesAndExitsWithTheHighestCode) {
    int code = Run(R"([{}, {"fail_transfer": 1}, {"status": {"14": 1}}])", {"update", "--all"});
    EXPECT_EQ(code, kExitUploadFailed);
    EXPECT_EQ(out.str(), "PM0000000001: OK\n");
    auto errLines = Lines(err.str());
    std::set<std::string> lines(errLines.begin(), errLines.end());
    EXPECT_TRUE(lines.count("PM0000000001: block 17/17 100%"));
    EXPECT_TRUE(lines.count("PM0000000002: Wrong Data"));
    EXPECT_TRUE(lines.count("PM0000000003: Biosflash Erase Error"));
    for (const std::string& line : errLines)
        EXPECT_EQ(line.rfind("PM000000000", 0), 0u) << "every line starts with its device: " << line;
}

TEST_F(CliDevices, SeveralProgrammersNeedSerialOrAll) {
    for (const char* command : {"info", "update"}) {
        EXPECT_EQ(Run("[{}, {}]", {command}), kExitUsage) << command;
        EXPECT_TRUE(Contains(err.str(), "choose one with --serial")) << err.str();
    }
    EXPECT_EQ(Run("[{}, {}]", {"info", "--serial", "PM0000000002"}), kExitOk);
    EXPECT_EQ(Run("[{}, {}]", {"update", "--all", "--serial", "PM0000000002"}), kExitUsage);
    EXPECT_EQ(Run("[{}, {}]", {"info", "--all"}), kExitUsage);
}

// Two programmers answering to the same serial cannot be told apart: none is chosen, and none is verified.
TEST_F(CliDevices, SharedSerialIsAmbiguous) {
    const std::string twins = R"([{"serial": "TWIN"}, {}, {"serial": "TWIN"}])";
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", "--serial", "TWIN"},
             {"update", "--serial", "TWIN"},
             {"update", "--all", "--verify"},
         }) {
        EXPECT_EQ(Run(twins, args), kExitUsage) << args[0];
        EXPECT_EQ(err.str(),
                  "Several programmers attached with serial TWIN (virtual:hidraw0, virtual:hidraw2): "
                  "cannot tell them apart, leave only one attached\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(Run(twins, {"info", "--serial", "PM0000000002"}), kExitOk) << err.str();
    EXPECT_EQ(Run(twins, {"update", "--all"}), kExitOk) << err.str();
}

TEST_F(CliDevices, WaitFollowsHotPlug) {
    const std::string late = R"([{"plug_after_ms": 100}, {"serial": "LATER", "plug_after_ms": 200}])";
    EXPECT_EQ(Run(late, {"info"}), kExitNoDevice) << "without --wait only what is there at the start counts";
    EXPECT_EQ(Run(late, {"info", "--serial", "LATER", "--wait", "60"}), kExitOk) << err.str();
    EXPECT_TRUE(Contains(out.str(), "Serial:       LATER"));
    EXPECT_EQ(Run(late, {"list", "--wait", "60"}), kExitOk);
    EXPECT_EQ(Run(R"([{"plug_after_ms": 3600000}])", {"info", "--wait", "0.05"}), kExitNoDevice);
    EXPECT_EQ(err.str(), "No programmer found\n");
    EXPECT_EQ(Run("[{}]", {"info", "--serial", "NOPE", "--wait", "0.05"}), kExitNoDevice);
    EXPECT_EQ(Run("[]", {"list", "--wait", "0.05"}), kExitNoDevice);
}

} // namespace
