#pragma once

#include "settings/AppIniFileStorage.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace miran::settings::testing {

// Every test runs with HOME, XDG_CONFIG_HOME and TMPDIR inside a fresh temporary folder, so the real
// user's settings are never touched.
class SettingsFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program's ini file: <config>/MIRAN/MIRAN-ISP/Miran-ISP-Up.ini.
    std::filesystem::path IniPath() const;
    std::filesystem::path ConfigFolder() const { return root_ / "config"; }
    std::filesystem::path Root() const { return root_; }

    // Set up as the program sets up its storage.
    static void ConfigureLikeProgram(TAppIniFileStorage& storage);

    static std::string ReadBytes(const std::filesystem::path& path);
    // Writes the file as another program would, with a time stamp that surely differs from before.
    static void WriteExternally(const std::filesystem::path& path, const std::string& bytes);

private:
    std::filesystem::path root_;
};

} // namespace miran::settings::testing
