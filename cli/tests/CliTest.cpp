#include "cli/Cli.h"

#include "CliTestSupport.h"
#include "Failure.h"
#include "Options.h"
#include "update/FirmwareImage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <unistd.h>

using namespace miran::cli;
using miran::cli::test_support::Lines;
using nlohmann::json;

namespace {

// Whatever catches std::exception, the last resort included, gets the command line's own message.
TEST(CliErrors, AreStandardExceptionsWithTheirMessage) {
    const Failure failure{kExitNoDevice, "No programmer found"};
    const UsageError usage("no command given");
    const std::exception* errors[] = {&failure, &usage};
    EXPECT_STREQ(errors[0]->what(), "No programmer found");
    EXPECT_STREQ(errors[1]->what(), "no command given");
}

// A device whose info block asks for tool level 1.1.
const std::string& LevelOneOneDevice() {
    static const std::string devices = R"([{"info": "4d4e3035)" + std::string(2 * 30, '0') + "0101\"}]";
    return devices;
}

class CliTest : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        Environment env{out_, err_, false, [this](std::chrono::milliseconds d) { slept_ += d; }};
        return RunCli(args, env);
    }

    // Writes a simulation file and returns the --simulate option for it.
    std::string Simulate(const std::string& devicesJson) {
        std::ofstream(file_) << R"({"devices":)" << devicesJson << "}";
        return "--simulate=" + file_.string();
    }

    void TearDown() override { std::filesystem::remove(file_); }

    std::ostringstream out_;
    std::ostringstream err_;
    std::chrono::milliseconds slept_{0};

private:
    std::filesystem::path file_ =
        std::filesystem::temp_directory_path() / ("cli-test-" + std::to_string(::getpid()) + ".json");
};

TEST_F(CliTest, ImageInfoOfTheEmbeddedImage) {
    ASSERT_EQ(Run({"image-info"}), kExitOk);
    EXPECT_EQ(out_.str(), "Magic:       MN05\n"
                          "Version:     1 9 0\n"
                          "VersionText: 1.9.0\n"
                          "Title:       MIRAN POLY-MCU Bios-Update v1.9.0\n"
                          "InfoText:    MIRAN-ISP v1.9.0\n"
                          "EndAddress:  12444\n"
                          "Size:        8348\n"
                          "Blocks:      17\n");
    ASSERT_EQ(Run({"image-info", "--json"}), kExitOk);
    json info = json::parse(out_.str());
    EXPECT_EQ(info["version"], json::array({1, 9, 0}));
    EXPECT_EQ(info["version_text"], "1.9.0");
    EXPECT_EQ(info["title"], "MIRAN POLY-MCU Bios-Update v1.9.0");
    EXPECT_EQ(info["end_address"], 12444);
    EXPECT_EQ(info["blocks"], 17);
}

TEST_F(CliTest, ImageFileThatIsNoImageIsRefused) {
    std::string path =
        (std::filesystem::temp_directory_path() / ("cli-image-" + std::to_string(::getpid()))).string();
    std::ofstream(path) << "not an image";
    EXPECT_EQ(Run({"image-info", "--image", path}), kExitUsage);
    EXPECT_NE(err_.str().find("not a firmware image"), std::string::npos) << err_.str();
    std::filesystem::remove(path);

    const std::string folder = std::filesystem::temp_directory_path().string();
    for (const std::string& special : {std::string(test_support::kEndlessDevice), folder}) {
        EXPECT_EQ(Run({"image-info", "--image", special}), kExitUsage) << special;
        EXPECT_EQ(err_.str(), special + ": not a regular file\n");
    }
}

TEST_F(CliTest, DecimalSecondsAreTaken) {
    for (const char* seconds : {"0", "0.05", "007", "3600", "3600.000"})
        EXPECT_EQ(Run({"--simulate", "info", "--wait", seconds}), kExitOk) << seconds << err_.str();
}

// An error the command line has no code for is reported with one, never an abort.
TEST_F(CliTest, UnexpectedErrorsAreReported) {
    struct Refusing : std::streambuf {
    } refusing; // every write fails
    std::ostream broken(&refusing);
    broken.exceptions(std::ios::badbit);
    Environment env{broken, err_, false, [](std::chrono::milliseconds) {}};
    EXPECT_EQ(RunCli({"image-info"}, env), kExitUnexpected);
    EXPECT_EQ(err_.str().rfind("Unexpected error: ", 0), 0u) << err_.str();
}

TEST_F(CliTest, InfoShowsWhatTheWindowWouldShow) {
    ASSERT_EQ(Run({"--simulate", "info"}), kExitOk) << err_.str();
    EXPECT_EQ(out_.str(), "Serial:       PM0000000001\n"
                          "Bios-Version: v1.8.2\n"
                          "USB-Serial:   4711000000001\n");
    ASSERT_EQ(Run({"info", "--json", "--simulate"}), kExitOk);
    json result = json::parse(out_.str());
    EXPECT_EQ(result["event"], "result");
    EXPECT_EQ(result["bios"], "v1.8.2");
    EXPECT_EQ(result["usb_serial"], "4711000000001");
    EXPECT_EQ(result["serial"], "PM0000000001");
}

TEST_F(CliTest, UpdateWithVerifyEmitsOneProgressEventPerBlock) {
    ASSERT_EQ(Run({"--simulate", "update", "--verify", "--json", "--usb-serial", "1234567890123"}), kExitOk)
        << err_.str();
    auto lines = Lines(out_.str());
    ASSERT_EQ(lines.size(), 18u);
    for (int block = 1; block <= 17; ++block) {
        json event = json::parse(lines[block - 1]);
        EXPECT_EQ(event["event"], "progress");
        EXPECT_EQ(event["block"], block);
        EXPECT_EQ(event["position"], 512 * block);
        EXPECT_EQ(event["maximum"], 8348);
        EXPECT_EQ(event["serial"], "PM0000000001");
    }
    json result = json::parse(lines.back());
    EXPECT_EQ(result["ok"], true);
    EXPECT_EQ(result["verified"], true);
    EXPECT_EQ(slept_, std::chrono::milliseconds(17 * 25 + 100));
}

TEST_F(CliTest, ExitCodesAndMessages) {
    struct Row {
        const char* devices;
        std::vector<std::string> args;
        int code;
        const char* message;
    } rows[] = {
        {"[]", {"info"}, kExitNoDevice, "No programmer found"},
        {R"([{}])", {"info", "--serial", "NOPE"}, kExitNoDevice, "No programmer with serial NOPE found"},
        {R"([{}, {}])",
         {"info"},
         kExitUsage,
         "Several programmers attached (PM0000000001, PM0000000002): choose one with --serial"},
        {R"([{"info": "4d4e3034"}])", {"info"}, kExitIdentifyFailed, "Wrong Info: MN04"},
        {LevelOneOneDevice().c_str(), {"info"}, kExitIdentifyFailed, "Setup Tool v1.1x or newer required!"},
        {R"([{"fail_transfer": 1}])", {"info"}, kExitIdentifyFailed, "Wrong Data"},
        {R"([{"status": {"14": 1}}])", {"update"}, kExitUploadFailed, "Biosflash Erase Error"},
        {R"([{"fail_transfer": 15}])", {"update"}, kExitUploadFailed, "Bios upload Error"},
        {R"([{"unplug_at_transfer": 29}])", {"update"}, kExitUploadFailed, "Biosflash upload Error"},
        // The device vanishes while it answers the closing command and never comes back.
        {R"([{"unplug_at_transfer": 72}])",
         {"update", "--verify", "--verify-timeout", "0.2"},
         kExitVerifyFailed,
         "Verification failed: PM0000000001 did not come back"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {Simulate(row.devices)};
        args.insert(args.end(), row.args.begin(), row.args.end());
        EXPECT_EQ(Run(args), row.code) << row.message;
        EXPECT_EQ(err_.str(), std::string(row.message) + "\n");

        args.push_back("--json");
        EXPECT_EQ(Run(args), row.code) << row.message;
        json result = json::parse(Lines(out_.str()).back());
        EXPECT_EQ(result["event"], "result");
        EXPECT_EQ(result["ok"], false);
        EXPECT_EQ(result["exit_code"], row.code);
        EXPECT_EQ(result["message"], row.message);
    }
}

TEST_F(CliTest, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"flash"},
        {"info", "--bogus"},
        {"info", "--verify"},
        {"image-info", "--serial", "X"},
        {"update", "--usb-serial", "12a45"},
        {"update", "--usb-serial", std::string(33, '1')},
        {"update", "--verify-timeout", "soon"},
        // Seconds are decimal: what the C library would also take is refused.
        {"info", "--wait", "0x10"},
        {"info", "--wait", "1e3"},
        {"info", "--wait", " 5"},
        {"info", "--wait", "+5"},
        {"info", "--wait", "-0"},
        {"info", "--wait", "inf"},
        {"info", "--wait", "nan"},
        {"info", "--wait", ".5"},
        {"info", "--wait", "5."},
        {"info", "--wait", "3600.001"},
        {"info", "--wait", "99999999999999999999999999999999999999999"},
        {"update", "--verify-timeout", "0x10"},
        {"info", "--serial"},
        {"--simulate=", "info"},
        {"--simulate=/nonexistent.json", "info"},
        {"info", "--if-needed"},
        {"list", "--watch"},
        {"update", "--watch", "--serial", "X"},
        {"update", "--log", "run.csv"},
        {"update", "--watch", "--log"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), kExitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(err_.str().empty());
    }
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_NE(out_.str().find("Usage: miran-isp-up-cli"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kExitOk);
}

TEST_F(CliTest, BadSimulationFilesAreUsageErrors) {
    const char* files[] = {
        R"([{"info": "4d4"}])",      R"([{"unique_id": "00"}])",   R"([{"colour": "red"}])",
        R"([{"status": {"x": 1}}])", R"([{"fail_transfer": -1}])", R"("none")",
    };
    for (const char* devices : files) {
        EXPECT_EQ(Run({Simulate(devices), "info"}), kExitUsage) << devices;
        EXPECT_EQ(err_.str().rfind("--simulate: ", 0), 0u) << err_.str();
    }
}

TEST_F(CliTest, TraceShowsEveryTransfer) {
    ASSERT_EQ(Run({"--simulate", "--trace", "update"}), kExitOk);
    auto lines = Lines(err_.str());
    ASSERT_EQ(lines.size(), 14u + 58u);
    EXPECT_EQ(lines[0], "Set 2 8 02 01 00 00 00 00 00 00");
    EXPECT_EQ(lines[1].substr(0, 26), "Get 1 1025 4D 4E 30 35 50 ");
    EXPECT_EQ(lines[1].size(), 10u + 3 * 1025);
    EXPECT_EQ(lines[3], "Get 3 5 00 00 30 00 00");
    EXPECT_EQ(lines[6], "Set 2 8 02 08 3A 00 00 00 00 00");
    EXPECT_EQ(lines[15], "Set 2 8 02 04 02 00 00 10 00 00");
    EXPECT_EQ(lines[17], "Set 2 8 02 0E 00 00 00 00 00 00");
    EXPECT_EQ(lines[20], "Set 2 8 02 04 01 00 00 10 00 00");
    EXPECT_EQ(lines[70], "Set 2 8 02 01 05 00 00 00 00 00");

    ASSERT_EQ(Run({Simulate(R"([{"fail_transfer": 3}])"), "--trace", "info"}), kExitIdentifyFailed);
    lines = Lines(err_.str());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "Set 2 8 02 00 00 00 00 00 00 00 FAILED");
    EXPECT_EQ(lines[3], "Wrong Info: ");
}

} // namespace

namespace {

TEST_F(CliTest, DeviceBytesThatAreNotTextStillGiveJsonLines) {
    // Other firmware may answer the info request with binary junk.
    EXPECT_EQ(Run({Simulate(R"([{"info": "FF4E3035"}])"), "info", "--json"}), kExitIdentifyFailed);
    json result = json::parse(Lines(out_.str()).back());
    EXPECT_EQ(result["exit_code"], kExitIdentifyFailed);
    EXPECT_EQ(result["message"], "Wrong Info: \xEF\xBF\xBDN05");
}

TEST_F(CliTest, VerifyOfAnImageShownAsNoBios) {
    // A minor version byte of 10 is shown as "NO BIOS" by identification, as it will be after the update.
    auto shipped = miran::update::FirmwareImage::OpenResource().Bytes();
    std::vector<std::uint8_t> bytes(shipped.begin(), shipped.end());
    bytes[13] = 10;
    std::string path =
        (std::filesystem::temp_directory_path() / ("cli-image10-" + std::to_string(::getpid()))).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_EQ(Run({"--simulate", "update", "--verify", "--image", path}), kExitOk) << err_.str();
    std::filesystem::remove(path);
}

} // namespace
