#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace miran::cli;
using miran::cli::test_support::Lines;

namespace {

struct DebugCase {
    const char* name;
    const char* devices;
    std::set<std::string> debugLines;
};

class CliDebug : public ::testing::TestWithParam<DebugCase> {
protected:
    // The exit code and stderr of the command line over the case's simulated programmers.
    std::pair<int, std::string> Run(std::vector<std::string> args) {
        std::ofstream(file_) << R"({"devices":)" << GetParam().devices << "}";
        args.insert(args.begin(), "--simulate=" + file_.string());
        std::ostringstream out;
        std::ostringstream err;
        Environment env{out, err, false, [](std::chrono::milliseconds) {}};
        int code = RunCli(args, env);
        return {code, err.str()};
    }

    void TearDown() override { std::filesystem::remove(file_); }

private:
    std::filesystem::path file_ =
        std::filesystem::temp_directory_path() / ("cli-debug-" + std::to_string(::getpid()) + ".json");
};

// --debug adds its lines to stderr and leaves every other line, the wire trace included, as it was.
TEST_P(CliDebug, AddsTheHidLayersDecisionsAndChangesNothingElse) {
    const auto [plainCode, plain] = Run({"--trace", "info"});
    const auto [debugCode, debug] = Run({"--trace", "--debug", "info"});
    EXPECT_EQ(debugCode, plainCode);

    std::vector<std::string> rest;
    std::set<std::string> debugLines;
    for (const std::string& line : Lines(debug))
        (GetParam().debugLines.count(line) ? debugLines.insert(line), void() : rest.push_back(line));
    EXPECT_EQ(debugLines, GetParam().debugLines) << debug;
    EXPECT_EQ(rest, Lines(plain));
    for (const std::string& line : GetParam().debugLines)
        EXPECT_EQ(plain.find(line), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Simulated, CliDebug,
    ::testing::Values(DebugCase{"NothingToSay", "[{}]", {}},
                      DebugCase{
                          "OpenRefused",
                          R"([{"no_permission": true}])",
                          {"open virtual:hidraw0 for reading and writing: Permission denied (errno 13)"}}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

} // namespace
