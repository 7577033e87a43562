// Recordings (--record FILE) and their replay (--simulate=FILE). The fixtures were made by the command line
// itself, over the virtual programmers:
//   info.jsonl                --simulate --record info.jsonl info
//   update-verify.jsonl       --simulate --record update-verify.jsonl update --verify
//   list-no-permission.jsonl  --simulate=F --record list-no-permission.jsonl list
//                             with F {"devices":[{"no_permission":true},{"serial":"PM0000000002"}]}
//   update-vanishing.jsonl    --simulate=F --record update-vanishing.jsonl update
//                             with F {"devices":[{"unplug_at_transfer":20}]}
#include "CliTestSupport.h"
#include "cli/Cli.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

using namespace miran::cli;
using miran::cli::test_support::Lines;

namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

std::string Fixture(const std::string& name) {
    std::ifstream file(std::string(MIRAN_REPLAY_FIXTURES) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

int TransferCount(const std::string& recording) {
    const auto lines = Lines(recording);
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(R"("event":"transfer")") != std::string::npos;
    }));
}

class CliReplay : public ::testing::Test {
protected:
    Outcome Run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        Environment env{out, err, false, [](std::chrono::milliseconds) {}};
        const int code = RunCli(args, env);
        return {code, out.str(), err.str()};
    }

    // Records the command over the virtual programmers described by devicesJson, then replays it.
    std::pair<Outcome, Outcome> RecordAndReplay(const std::string& devicesJson,
                                                std::vector<std::string> args) {
        std::ofstream(simulation_) << R"({"devices":)" << devicesJson << "}";
        std::vector<std::string> recording = {"--simulate=" + simulation_.string(), "--record",
                                              recording_.string()};
        recording.insert(recording.end(), args.begin(), args.end());
        const Outcome recorded = Run(recording);
        args.insert(args.begin(), "--simulate=" + recording_.string());
        return {recorded, Run(args)};
    }

    Outcome Replay(const std::string& recording, std::vector<std::string> args) {
        std::ofstream(recording_, std::ios::binary) << recording;
        args.insert(args.begin(), "--simulate=" + recording_.string());
        return Run(args);
    }

    void TearDown() override {
        std::filesystem::remove(simulation_);
        std::filesystem::remove(recording_);
    }

    std::filesystem::path simulation_ =
        std::filesystem::temp_directory_path() / ("cli-replay-" + std::to_string(::getpid()) + ".json");
    std::filesystem::path recording_ =
        std::filesystem::temp_directory_path() / ("cli-replay-" + std::to_string(::getpid()) + ".jsonl");
};

// The replay answers as the programmers did: the same output, the same trace byte for byte, the same end.
TEST_F(CliReplay, ReplaysToTheSameOutputAndTrace) {
    struct Case {
        const char* devices;
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {"[{}]", {"--trace", "update", "--verify"}, kExitOk}, // a reboot between upload and verification
        {"[{}]", {"--trace", "info", "--json"}, kExitOk},
        {R"([{"fail_transfer": 15}])", {"--trace", "update"}, kExitUploadFailed},
        {R"([{"unplug_at_transfer": 30}])", {"--trace", "update", "--verify"}, kExitUploadFailed},
        {R"([{"no_permission": true}, {"serial": "PM0000000002"}])", {"list"}, kExitPermission},
        {R"([{}, {"serial": "PM0000000002"}])", {"--trace", "update", "--serial", "PM0000000002"}, kExitOk},
    };
    for (const Case& c : cases) {
        const auto [recorded, replayed] = RecordAndReplay(c.devices, c.args);
        SCOPED_TRACE(c.devices + (" " + c.args.back()));
        EXPECT_EQ(recorded.code, c.code) << recorded.err;
        EXPECT_EQ(replayed.code, recorded.code);
        EXPECT_EQ(replayed.out, recorded.out);
        EXPECT_EQ(replayed.err, recorded.err);
    }
}

// Programmers updated at once transfer in no fixed order: each answers its own transfers as recorded, and
// both come back from their reboots to be verified.
TEST_F(CliReplay, ReplaysProgrammersUpdatedAtOnce) {
    const auto [recorded, replayed] =
        RecordAndReplay(R"([{}, {"serial": "PM0000000002"}])", {"--trace", "update", "--all", "--verify"});
    EXPECT_EQ(recorded.code, kExitOk) << recorded.err;
    EXPECT_EQ(replayed.code, kExitOk) << replayed.err;
    EXPECT_EQ(replayed.out, "PM0000000001: OK, verified\nPM0000000002: OK, verified\n");
    auto recordedTrace = Lines(recorded.err);
    auto replayedTrace = Lines(replayed.err);
    std::sort(recordedTrace.begin(), recordedTrace.end());
    std::sort(replayedTrace.begin(), replayedTrace.end());
    EXPECT_EQ(replayedTrace, recordedTrace);
}

// Recordings kept from earlier builds still replay: every recorded transfer is asked for, no other.
TEST_F(CliReplay, FixturesReplay) {
    struct Case {
        const char* fixture;
        std::vector<std::string> args;
        int code;
        const char* out;
        const char* lastErr;
    } cases[] = {
        {"info.jsonl",
         {"--trace", "info"},
         kExitOk,
         "Serial:       PM0000000001\nBios-Version: v1.8.2\nUSB-Serial:   4711000000001\n",
         "Get 3 5 00 00 80 00 00"},
        {"update-verify.jsonl",
         {"--trace", "update", "--verify"},
         kExitOk,
         "PM0000000001: OK, verified\n",
         "Get 3 5 00 00 80 00 00"},
        {"update-vanishing.jsonl", {"--trace", "update"}, kExitUploadFailed, "", "Biosflash upload Error"},
        {"list-no-permission.jsonl",
         {"list"},
         kExitPermission,
         "PM0000000001  virtual:hidraw0  permission denied\nPM0000000002  virtual:hidraw1  ok\n",
         "then plug the programmer in again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string recording = Fixture(c.fixture);
        ASSERT_FALSE(recording.empty());
        const Outcome replayed = Replay(recording, c.args);
        EXPECT_EQ(replayed.code, c.code) << replayed.err;
        EXPECT_EQ(replayed.out, c.out);
        const auto err = Lines(replayed.err);
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.back(), c.lastErr);
        const int traced =
            static_cast<int>(std::count_if(err.begin(), err.end(), [](const std::string& line) {
                return line.rfind("Get ", 0) == 0 || line.rfind("Set ", 0) == 0;
            }));
        EXPECT_EQ(traced, TransferCount(recording));
    }
}

// A replay recorded again is the recording it replayed: the same devices, plugs, refusals and transfers, in
// the same order.
TEST_F(CliReplay, ReplayRecordedAgainIsTheSame) {
    const struct {
        const char* fixture;
        std::vector<std::string> args;
    } cases[] = {
        {"info.jsonl", {"info"}},
        {"update-verify.jsonl", {"update", "--verify"}},
        {"update-vanishing.jsonl", {"update"}},
        {"list-no-permission.jsonl", {"list"}},
    };
    const std::filesystem::path again = recording_.string() + ".again";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string recording = Fixture(c.fixture);
        std::vector<std::string> args = {"--record", again.string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Replay(recording, args);
        std::ifstream file(again, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        EXPECT_EQ(text.str(), recording);
    }
    std::filesystem::remove(again);
}

TEST_F(CliReplay, RecordingThatCannotBeWrittenIsAUsageError) {
    const std::string path = (std::filesystem::temp_directory_path() / "no-such-folder" / "x.jsonl").string();
    const Outcome outcome = Run({"--simulate", "--record", path, "list"});
    EXPECT_EQ(outcome.code, kExitUsage);
    EXPECT_EQ(outcome.err, "--record: cannot write " + path + "\n");
    EXPECT_EQ(outcome.out, "");
}

// A recording that no longer matches what the command line sends names the first transfer that differs and
// the byte, and nothing is transferred after it.
TEST_F(CliReplay, TamperedRecordingNamesTheTransfer) {
    struct Case {
        const char* fixture;
        int line; // counted from 1
        const char* recorded;
        const char* tampered; // nullptr: the line is removed; "...": the recording ends before it
        const char* message;
        int code;
        int traced; // transfers answered before
    } cases[] = {
        {"info.jsonl", 3, R"("sent":"0201000000000000")", R"("sent":"0201000000000100")",
         "Unexpected error: Replay: transfer 1 differs from the recording at byte 6: sent 00, recorded 01",
         kExitUnexpected, 0},
        {"info.jsonl", 7, R"("sent":"02019ea2)", R"("sent":"02019ea3)",
         "Unexpected error: Replay: transfer 5 differs from the recording at byte 3: sent A2, recorded A3",
         kExitUnexpected, 4},
        {"info.jsonl", 6, R"("report_id":3)", R"("report_id":1)",
         "Unexpected error: Replay: transfer 4 differs from the recording at byte 0: sent 03, recorded 01",
         kExitUnexpected, 3},
        {"info.jsonl", 5, R"("sent":"0200000000000000")", R"("sent":"02000000000000")",
         "Unexpected error: Replay: transfer 3 differs from the recording: 8 bytes, recorded 7",
         kExitUnexpected, 2},
        {"info.jsonl", 3, "", nullptr,
         "Unexpected error: Replay: transfer 1 differs from the recording: a Set, recorded a Get",
         kExitUnexpected, 0},
        {"info.jsonl", 9, "", "...", "Unexpected error: Replay: transfer 7 is not in the recording",
         kExitUnexpected, 6},
        // The upload ends at the first failing transfer, with its message.
        {"update-verify.jsonl", 17, R"("sent":"013b72)", R"("sent":"013b73)",
         "Replay: transfer 15 differs from the recording at byte 2: sent 72, recorded 73", kExitUploadFailed,
         14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> lines = Lines(Fixture(c.fixture));
        ASSERT_LT(c.line, static_cast<int>(lines.size()));
        std::string& line = lines[c.line - 1];
        if (!c.tampered) {
            lines.erase(lines.begin() + (c.line - 1));
        } else if (std::string(c.tampered) == "...") {
            lines.resize(c.line - 1);
        } else {
            const std::size_t at = line.find(c.recorded);
            ASSERT_NE(at, std::string::npos);
            line.replace(at, std::string(c.recorded).size(), c.tampered);
        }
        std::string recording;
        for (const std::string& kept : lines)
            recording += kept + '\n';
        const Outcome replayed = Replay(recording, {"--trace", "update"});
        EXPECT_EQ(replayed.code, c.code);
        const auto err = Lines(replayed.err);
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err.back(), c.message);
        EXPECT_EQ(err.size(), static_cast<std::size_t>(c.traced) + 1) << replayed.err;
    }
}

} // namespace
