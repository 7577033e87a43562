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

// Counts the times a file is written as a whole (closed after writing, or renamed into place).
class FileWriteCounter {
public:
    // The file's folder must exist.
    explicit FileWriteCounter(const std::filesystem::path& file);
    ~FileWriteCounter();
    FileWriteCounter(const FileWriteCounter&) = delete;
    FileWriteCounter& operator=(const FileWriteCounter&) = delete;

    // Writes since the last call (or since construction).
    int TakeCount();

private:
    int fd_;
    std::string name_;
};

} // namespace miran::settings::testing
