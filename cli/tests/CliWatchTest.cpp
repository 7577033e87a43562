#include "CliDevicesFixture.h"
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <numeric>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace miran::cli;
using miran::cli::test_support::CurrentProgrammer;
using miran::cli::test_support::Lines;
using nlohmann::json;

namespace {

namespace fs = std::filesystem;

const std::set<std::string> kOutcomes = {"updated", "skipped", "verified", "failed", "interrupted"};

std::vector<std::string> FileLines(const fs::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return Lines(text.str());
}

std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

// The JSON Lines output of `update --watch --json`, looked at as it is flushed: it ends the watch with SIGINT
// once the expected number of outcomes has come, and checks that each outcome's log record was written
// before it was reported.
class WatchOutput : public std::stringbuf {
public:
    WatchOutput(int outcomes, fs::path log) : outcomes_(outcomes), log_(std::move(log)) {}

    std::vector<json> events;
    std::vector<std::string> logLinesAtOutcome;

protected:
    int sync() override {
        const std::string text = str();
        for (std::size_t end; (end = text.find('\n', seen_)) != std::string::npos; seen_ = end + 1) {
            events.push_back(json::parse(text.substr(seen_, end - seen_)));
            if (!kOutcomes.count(events.back()["event"]))
                continue;
            logLinesAtOutcome.push_back(FileLines(log_).back());
            if (--outcomes_ == 0)
                kill(getpid(), SIGINT);
        }
        return 0;
    }

private:
    int outcomes_;
    fs::path log_;
    std::size_t seen_ = 0;
};

class CliWatch : public ::testing::Test {
protected:
    int Run(const std::string& devices, std::vector<std::string> args, WatchOutput& output) {
        std::ofstream(simulation_) << R"({"devices":)" << devices << "}";
        args.insert(args.begin(), "--simulate=" + simulation_.string());
        std::ostream out(&output);
        Environment env{out, err_, false, [](std::chrono::milliseconds) {}};
        // Should the outcomes never come, the watch still ends.
        std::promise<void> ended;
        std::jthread guard([done = ended.get_future()] {
            if (done.wait_for(std::chrono::seconds(60)) == std::future_status::timeout)
                kill(getpid(), SIGTERM);
        });
        const int code = RunCli(args, env);
        ended.set_value();
        return code;
    }

    void TearDown() override {
        fs::remove(simulation_);
        fs::remove(log_);
    }

    fs::path log_ = fs::temp_directory_path() / ("cli-watch-" + std::to_string(getpid()) + ".csv");
    std::ostringstream err_;

private:
    fs::path simulation_ = fs::temp_directory_path() / ("cli-watch-" + std::to_string(getpid()) + ".json");
};

// Four programmers plugged at different times, the third failing its upload: three are updated and verified
// after their reboot, each once, and every outcome is logged before it is reported.
TEST_F(CliWatch, UpdatesEachProgrammerOnceAndVerifiesItAfterItsReboot) {
    const std::string devices = R"([{}, {"plug_after_ms": 100}, {"plug_after_ms": 200, "fail_transfer": 30},
                                    {"plug_after_ms": 300}])";
    WatchOutput output(7, log_);
    EXPECT_EQ(Run(devices, {"update", "--watch", "--json", "--log", log_.string()}, output),
              kExitUploadFailed)
        << err_.str();

    std::map<std::string, std::vector<int>> blocks;
    std::multiset<std::pair<std::string, std::string>> outcomes;
    for (const json& event : output.events) {
        if (event["event"] == "progress")
            blocks[event["serial"]].push_back(event["block"]);
        else if (kOutcomes.count(event["event"]))
            outcomes.emplace(event["serial"], event["event"]);
    }
    const std::multiset<std::pair<std::string, std::string>> expected = {
        {"PM0000000001", "updated"},  {"PM0000000001", "verified"}, {"PM0000000002", "updated"},
        {"PM0000000002", "verified"}, {"PM0000000003", "failed"},   {"PM0000000004", "updated"},
        {"PM0000000004", "verified"}};
    EXPECT_EQ(outcomes, expected);
    // One upload each: every block once, in order.
    for (const std::string serial : {"PM0000000001", "PM0000000002", "PM0000000004"}) {
        std::vector<int> once(17);
        std::iota(once.begin(), once.end(), 1);
        EXPECT_EQ(blocks[serial], once) << serial;
    }
    ASSERT_FALSE(blocks["PM0000000003"].empty());
    EXPECT_LT(blocks["PM0000000003"].size(), 17u);
    EXPECT_EQ(output.events.back(), json({{"event", "result"},
                                          {"ok", false},
                                          {"exit_code", kExitUploadFailed},
                                          {"updated", 3},
                                          {"verified", 3},
                                          {"skipped", 0},
                                          {"failed", 1}}));

    const std::vector<std::string> log = FileLines(log_);
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[0], "time,serial,previous_version,new_version,digits,result,seconds,message");
    std::multiset<std::pair<std::string, std::string>> logged;
    for (std::size_t i = 1; i < log.size(); ++i) {
        const std::vector<std::string> fields = CsvFields(log[i]);
        ASSERT_EQ(fields.size(), 8u) << log[i];
        EXPECT_TRUE(std::regex_match(fields[0], std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"))) << log[i];
        EXPECT_EQ(fields[2], "v1.8.2") << log[i];
        EXPECT_EQ(fields[3], fields[5] == "failed" ? "" : "v1.9.0") << log[i];
        EXPECT_EQ(fields[4], "4711000000001") << log[i];
        EXPECT_TRUE(std::regex_match(fields[6], std::regex(R"(\d+\.\d{3})"))) << log[i];
        EXPECT_EQ(fields[7], fields[5] == "failed"    ? "Biosflash Program Error"
                             : fields[5] == "updated" ? "OK"
                                                      : "")
            << log[i];
        logged.emplace(fields[1], fields[5]);
        EXPECT_EQ(output.logLinesAtOutcome[i - 1], log[i]) << "logged before it was reported";
    }
    EXPECT_EQ(logged, expected);

    const std::vector<std::string> err = Lines(err_.str());
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), "Summary: 3 updated, 3 verified, 0 skipped, 1 failed");
    const std::multiset<std::string> lines(err.begin(), err.end());
    for (const std::string serial : {"PM0000000001", "PM0000000002", "PM0000000004"}) {
        for (const std::string line :
             {": plugged in", ": updated (OK)", ": back from its reboot", ": verified"})
            EXPECT_EQ(lines.count(serial + line), 1u) << serial + line;
    }
    EXPECT_EQ(lines.count("PM0000000003: plugged in"), 1u);
    EXPECT_EQ(lines.count("PM0000000003: failed (Biosflash Program Error)"), 1u);
    EXPECT_EQ(err.size(), 15u) << err_.str();
}

// A current programmer is skipped and not waited for; the log grows run after run, with one CSV header.
TEST_F(CliWatch, SkipsCurrentProgrammersAndAppendsToItsLog) {
    std::string devices = "[";
    devices += CurrentProgrammer() + ", {}]";
    const std::vector<std::string> results = {"skipped", "updated", "verified",
                                              "skipped", "updated", "verified"};
    for (const std::string extension : {".csv", ".jsonl"}) {
        const fs::path log = fs::path(log_).replace_extension(extension);
        fs::remove(log);
        for (int run = 0; run < 2; ++run) {
            WatchOutput output(3, log);
            EXPECT_EQ(
                Run(devices, {"update", "--watch", "--if-needed", "--json", "--log", log.string()}, output),
                kExitOk)
                << err_.str();
        }
        std::vector<std::string> lines = FileLines(log);
        fs::remove(log);
        if (extension == ".csv") {
            ASSERT_EQ(lines.size(), 7u) << extension;
            EXPECT_EQ(lines[0].rfind("time,", 0), 0u);
            lines.erase(lines.begin());
        }
        ASSERT_EQ(lines.size(), results.size()) << extension;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::vector<std::string> fields;
            if (extension == ".csv") {
                fields = CsvFields(lines[i]);
            } else {
                const json record = json::parse(lines[i]);
                for (const char* key :
                     {"time", "serial", "previous_version", "new_version", "digits", "result"})
                    fields.push_back(record.at(key));
            }
            const bool skipped = results[i] == "skipped";
            EXPECT_EQ(fields[1], skipped ? "PM0000000001" : "PM0000000002") << lines[i];
            EXPECT_EQ(fields[2], skipped ? "v1.9.0" : "v1.8.2") << lines[i];
            EXPECT_EQ(fields[3], "v1.9.0") << lines[i];
            EXPECT_EQ(fields[5], results[i]) << lines[i];
        }
    }
}

} // namespace
