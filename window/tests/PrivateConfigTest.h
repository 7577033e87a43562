#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace miran::window::testing {

// A private config folder per test, so that the real settings are never touched.
class PrivateConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::temp_directory_path() / ("config-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    }
    void TearDown() override {
        if (!home_.empty())
            std::filesystem::remove_all(home_);
    }

    std::filesystem::path IniPath() const {
        return home_ / "config" / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini";
    }
    void WriteIni(const std::string& text) {
        std::filesystem::create_directories(IniPath().parent_path());
        std::ofstream(IniPath(), std::ios::binary) << text;
    }
    std::string ReadIni() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path home_;
};

} // namespace miran::window::testing
