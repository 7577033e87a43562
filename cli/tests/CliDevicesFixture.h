#pragma once

#include "cli/Cli.h"
#include "sim/SimulationFile.h"
#include "update/Protocol.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace miran::cli::test_support {

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A programmer that runs the built-in image's version (v1.9.0) with the serial text 4711000000001.
inline std::string CurrentProgrammer() {
    std::vector<std::uint8_t> bios = sim::DefaultProgrammer(0).bios;
    bios[update::header::VersionMinor.offset] = 9;
    bios[update::header::VersionPatch.offset] = 0;
    std::string hex;
    for (std::uint8_t byte : bios) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return R"({"bios": ")" + hex + R"("})";
}

// Runs the command line over virtual programmers described by a simulation file.
class CliDevices : public ::testing::Test {
protected:
    int Run(const std::string& devicesJson, std::vector<std::string> args) {
        std::ofstream(file_) << R"({"devices":)" << devicesJson << "}";
        args.insert(args.begin(), "--simulate=" + file_.string());
        out_.str("");
        err_.str("");
        Environment env{out_, err_, false, [this](std::chrono::milliseconds d) { slept_ += d.count(); }};
        return RunCli(args, env);
    }

    void TearDown() override { std::filesystem::remove(file_); }

    std::ostringstream out_;
    std::ostringstream err_;
    std::atomic<long long> slept_{0};

private:
    std::filesystem::path file_ =
        std::filesystem::temp_directory_path() / ("cli-devices-" + std::to_string(::getpid()) + ".json");
};

} // namespace miran::cli::test_support
