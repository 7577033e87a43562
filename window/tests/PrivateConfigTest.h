#pragma once

#include "SystemLoop.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>

namespace miran::window::testing {

// A private config folder per test, so that the real settings are never touched.
class PrivateConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = std::filesystem::temp_directory_path() /
                ("config-test-" + std::to_string(std::random_device()()));
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        config_ = UseConfigFolder(home_);
        std::filesystem::remove_all(config_ / "MIRAN");
    }
    void TearDown() override {
        if (home_.empty())
            return;
        std::filesystem::remove_all(config_ / "MIRAN");
        std::filesystem::remove_all(home_);
    }

    std::filesystem::path IniPath() const { return config_ / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini"; }
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
    std::filesystem::path config_;
};

} // namespace miran::window::testing
