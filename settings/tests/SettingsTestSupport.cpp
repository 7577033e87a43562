#include "SettingsTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace miran::settings::testing {

namespace fs = std::filesystem;

void SettingsFolderTest::SetUp() {
    // Taken before the first test points TMPDIR into its own folder.
    static const auto systemTemp = fs::temp_directory_path();
    auto pattern = (systemTemp / "settings_tests.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "tmp");
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", ConfigFolder().c_str(), 1);
    ::setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
}

void SettingsFolderTest::TearDown() {
    std::error_code ignored;
    fs::permissions(IniPath(), fs::perms::owner_all, ignored);
    fs::remove_all(root_, ignored);
}

fs::path SettingsFolderTest::IniPath() const {
    return ConfigFolder() / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini";
}

void SettingsFolderTest::ConfigureLikeProgram(TAppIniFileStorage& storage) {
    storage.StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
    storage.StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");
    storage.SetAutoFlush(true);
    storage.SetAutoReload(true);
    storage.SetLocation(TFileLocation::flUserFolder);
    storage.SetFileName("MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini");
}

std::string SettingsFolderTest::ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void SettingsFolderTest::WriteExternally(const fs::path& path, const std::string& bytes) {
    static int edits = 0;
    fs::create_directories(path.parent_path());
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << bytes;
    }
    fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(++edits));
}

FileWriteCounter::FileWriteCounter(const fs::path& file)
    : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), name_(file.filename().string()) {
    EXPECT_GE(fd_, 0);
    EXPECT_GE(::inotify_add_watch(fd_, file.parent_path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
}

FileWriteCounter::~FileWriteCounter() {
    ::close(fd_);
}

int FileWriteCounter::TakeCount() {
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    ssize_t length;
    while ((length = ::read(fd_, buffer, sizeof buffer)) > 0) {
        for (char* at = buffer; at < buffer + length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0 && name_ == event->name)
                ++count;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return count;
}

} // namespace miran::settings::testing
