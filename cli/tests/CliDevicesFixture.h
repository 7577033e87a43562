#pragma once

#include "cli/Cli.h"

#include <atomic>
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

// Runs the command line over virtual programmers described by a simulation file.
class CliDevices : public ::testing::Test {
protected:
    int Run(const std::string& devicesJson, std::vector<std::string> args) {
        std::ofstream(file_) << R"({"devices":)" << devicesJson << "}";
        args.insert(args.begin(), "--simulate=" + file_.string());
        out.str("");
        err.str("");
        Environment env{out, err, false, [this](std::chrono::milliseconds d) { slept += d.count(); }};
        return RunCli(args, env);
    }

    void TearDown() override { std::filesystem::remove(file_); }

    std::ostringstream out;
    std::ostringstream err;
    std::atomic<long long> slept{0};

private:
    std::filesystem::path file_ =
        std::filesystem::temp_directory_path() / ("cli-devices-" + std::to_string(::getpid()) + ".json");
};

} // namespace miran::cli::test_support
