#include "settings/AppIniFileStorage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>

namespace miran::settings {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Every system writes the same bytes for the same settings, so one file moves between them.
TEST(IniBytesTest, FirstRunAndCloseWritesTheFixtureBytes) {
    const auto folder = fs::temp_directory_path() / ("ini_bytes." + std::to_string(std::random_device{}()));
    const auto file = folder / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini";
    {
        TAppIniFileStorage storage;
        storage.SetAutoFlush(true);
        storage.SetAutoReload(true);
        storage.SetLocation(TFileLocation::flCustom);
        storage.SetFileName(file.string());
        storage.BeginBatch();
        storage.EndBatch();
        storage.SetDefaultSection("CONFIG");
        EXPECT_EQ(storage.GetString("DEVICE"), "");
        storage.BeginBatch();
        storage.PutInteger("Main\\FormVersion", 0);
        storage.PutInteger("Main\\ShowCmd", 1);
        storage.PutInteger("Main\\Flags", 0);
        storage.PutInteger("Main\\PixelsPerInch", 96);
        storage.PutString("Main\\MinMaxPos(1920x1080)", "-1,-1,-8,-8");
        storage.PutString("Main\\MinMaxPos", "-1,-1,-8,-8");
        storage.PutString("Main\\NormPos(1920x1080)", "100,120,600,420");
        storage.PutString("Main\\NormPos", "100,120,600,420");
        storage.EndBatch();
        storage.PutString("DEVICE", "MIRAN-0042");
    }
    const auto fixture = ReadBytes(fs::path(MIRAN_SETTINGS_FIXTURES) / "first-run-and-close.ini");
    ASSERT_FALSE(fixture.empty());
    EXPECT_EQ(ReadBytes(file), fixture);
    fs::remove_all(folder);
}

} // namespace
} // namespace miran::settings
