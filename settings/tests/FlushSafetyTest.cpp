#include "NamedLock.h"
#include "SettingsTestSupport.h"
#include "settings/AppIniFileStorage.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace miran::settings {
namespace {

namespace fs = std::filesystem;

class FlushSafetyTest : public testing::SettingsFolderTest {
protected:
    void SetUp() override {
        SettingsFolderTest::SetUp();
        ConfigureLikeProgram(storage_);
        storage_.SetDefaultSection("CONFIG");
        storage_.SetFlushOnDestroy(false);
        storage_.OnError = [this](const std::string& message) { errors_.push_back(message); };
    }

    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(IniPath().parent_path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    TAppIniFileStorage storage_;
    std::vector<std::string> errors_;
};

// Lets writes beyond `bytes` fail with "File too large", as a full disk would, while alive.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(FlushSafetyTest, WriteFailingHalfwayKeepsTheOldFileWhole) {
    storage_.PutString("DEVICE", "A");
    const auto before = ReadBytes(IniPath());
    {
        FileSizeLimit limit(512);
        storage_.PutString("DEVICE", std::string(4096, 'x'));
    }
    EXPECT_EQ(ReadBytes(IniPath()), before);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find(IniPath().string()), std::string::npos) << errors_[0];
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Miran-ISP-Up.ini"});
    // The change stays in memory and reaches the file with the next successful flush.
    storage_.PutString("OTHER", "B");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=" + std::string(4096, 'x') + "\r\nOTHER=B\r\n\r\n");
}

TEST_F(FlushSafetyTest, ProcessKilledHalfwayThroughTheWriteLeavesTheOldFile) {
    storage_.PutString("DEVICE", "A");
    const auto before = ReadBytes(IniPath());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The size limit's signal ends the process in the middle of writing, as a kill would.
        rlimit limited{};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = 512;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        std::signal(SIGXFSZ, SIG_DFL);
        storage_.PutString("DEVICE", std::string(4096, 'x'));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(ReadBytes(IniPath()), before);
    TAppIniFileStorage next;
    ConfigureLikeProgram(next);
    next.SetDefaultSection("CONFIG");
    EXPECT_EQ(next.GetString("DEVICE"), "A");
}

TEST_F(FlushSafetyTest, FolderThatCannotBeCreatedGoesToOnError) {
    WriteExternally(ConfigFolder() / "MIRAN", "a file where the folder belongs");
    storage_.PutString("DEVICE", "A");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("MIRAN"), std::string::npos) << errors_[0];
    EXPECT_EQ(storage_.GetString("DEVICE"), "A");
}

TEST_F(FlushSafetyTest, FlushLeavesNoTemporaryFileAndKeepsThePermissions) {
    storage_.PutString("DEVICE", "A");
    fs::permissions(IniPath(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    storage_.PutString("DEVICE", "B");
    EXPECT_EQ(fs::status(IniPath()).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Miran-ISP-Up.ini"});
}

TEST_F(FlushSafetyTest, SymbolicLinkIsFollowed) {
    const auto target = Root() / "dotfiles" / "miran.ini";
    WriteExternally(target, "[CONFIG]\r\nDEVICE=A\r\n");
    fs::create_directories(IniPath().parent_path());
    fs::create_symlink(target, IniPath());
    storage_.PutString("DEVICE", "B");
    EXPECT_TRUE(fs::is_symlink(IniPath()));
    EXPECT_EQ(ReadBytes(target), "[CONFIG]\r\nDEVICE=B\r\n\r\n");
}

TEST_F(FlushSafetyTest, UnreadableFileIsNeverOverwritten) {
    fs::create_directories(IniPath());
    storage_.PutString("DEVICE", "A");
    EXPECT_FALSE(errors_.empty());
    EXPECT_TRUE(fs::is_directory(IniPath()));
    EXPECT_TRUE(storage_.IsReadOnly());
}

TEST_F(FlushSafetyTest, SynchronizedFlushHoldsTheNamedLockOnlyWhileWriting) {
    storage_.SetSynchronizeFlushReload(true);
    storage_.PutString("DEVICE", "A");
    EXPECT_EQ(storage_.GetString("DEVICE"), "A");
    const auto lockFile = TNamedLock::LockFileName(storage_.ResolvedFileName());
    EXPECT_EQ(fs::path(lockFile).parent_path(), Root() / "tmp");
    ASSERT_TRUE(fs::exists(lockFile));
    const int fd = ::open(lockFile.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST(NamedLockTest, LockFileIsNamedByTheBase64Text) {
    ::setenv("TMPDIR", "/tmp", 1);
    // Base64 of "TCustomAppStorage.Synchronize:/a.ini", with "/" unusable in a file name.
    EXPECT_EQ(TNamedLock::LockFileName("/a.ini"), "/tmp/VEN1c3RvbUFwcFN0b3JhZ2UuU3luY2hyb25pemU6L2EuaW5p");
    EXPECT_EQ(TNamedLock::LockFileName("/x/y?"), "/tmp/VEN1c3RvbUFwcFN0b3JhZ2UuU3luY2hyb25pemU6L3gveT8=");
    EXPECT_EQ(TNamedLock::LockFileName("/x/y??"), "/tmp/VEN1c3RvbUFwcFN0b3JhZ2UuU3luY2hyb25pemU6L3gveT8_");
}

} // namespace
} // namespace miran::settings
