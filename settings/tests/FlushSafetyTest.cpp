#include "FileSystem.h"
#include "NamedLock.h"
#include "SettingsTestSupport.h"
#include "settings/AppIniFileStorage.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <optional>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
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
        for (const auto& entry : fs::directory_iterator(IniPath().parent_path()))
            names.push_back(entry.path().filename().string());
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

// Gives every reader that opens the FIFO the text and an end of file, so that a storage that reads it
// comes back instead of waiting for a writer forever.
class FifoWriter {
public:
    FifoWriter(fs::path path, std::string text)
        : path_(std::move(path)), thread_([this, text = std::move(text)] {
              while (!stop_) {
                  // Opens only while a reader waits; nothing here may block, or the test could not end.
                  const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0) {
                      [[maybe_unused]] const auto written = ::write(fd, text.data(), text.size());
                      ::close(fd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}
    ~FifoWriter() {
        stop_ = true;
        thread_.join();
    }
    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;

private:
    fs::path path_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

TEST_F(FlushSafetyTest, OnlyARegularFileOfBoundedSizeIsLoaded) {
    const auto folder = IniPath().parent_path();
    const struct {
        const char* name;
        std::function<bool()> make; // false: this kind cannot be made here
        std::function<bool()> unchanged;
    } cases[] = {
        // Opening a FIFO for reading waits for a writer: the window would hang at start-up.
        {"FIFO", [&] { return ::mkfifo(IniPath().c_str(), 0666) == 0; },
         [&] { return fs::is_fifo(IniPath()); }},
        // The kind of /dev/zero, which would be read until memory runs out; made here with /dev/null's
        // numbers so that a read is harmless.
        {"link to a device",
         [&] {
             if (::mknod((folder / "device").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
                 return false;
             fs::create_symlink(folder / "device", IniPath());
             return true;
         },
         [&] { return fs::is_symlink(IniPath()) && fs::is_character_file(IniPath()); }},
        {"larger than the limit",
         [&] {
             WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=big\r\n");
             fs::resize_file(IniPath(), kMaxFileSize + 1);
             return true;
         },
         [&] { return fs::file_size(IniPath()) == kMaxFileSize + 1; }},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (!c.make()) {
            // Device nodes need a privileged user.
            std::cout << c.name << " not checked: " << std::strerror(errno) << '\n';
            continue;
        }
        std::optional<FifoWriter> writer;
        if (fs::is_fifo(IniPath()))
            writer.emplace(IniPath(), "[CONFIG]\r\nDEVICE=fifo\r\n");
        errors_.clear();
        TAppIniFileStorage storage;
        storage.OnError = [this](const std::string& message) { errors_.push_back(message); };
        ConfigureLikeProgram(storage);
        storage.SetDefaultSection("CONFIG");
        EXPECT_EQ(storage.GetString("DEVICE", "none"), "none") << c.name;
        EXPECT_EQ(errors_.size(), 1u) << c.name;
        for (const auto& error : errors_)
            EXPECT_NE(error.find(IniPath().string()), std::string::npos) << error;
        // Not ours: never replaced by a flush.
        EXPECT_TRUE(storage.IsReadOnly()) << c.name;
        storage.PutString("DEVICE", "new");
        storage.Flush();
        EXPECT_TRUE(c.unchanged()) << c.name;
        EXPECT_EQ(errors_.size(), 1u) << c.name;
    }
}

TEST_F(FlushSafetyTest, DeviceLinkedInDuringABatchIsNotReplaced) {
    storage_.PutString("DEVICE", "A");
    const auto device = IniPath().parent_path() / "device";
    if (::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0)
        GTEST_SKIP() << "device nodes need a privileged user: " << std::strerror(errno);
    // Inside a batch nothing is reloaded, so the flush at its end finds what was swapped in meanwhile.
    storage_.BeginBatch();
    fs::remove(IniPath());
    fs::create_symlink(device, IniPath());
    storage_.PutString("DEVICE", "B");
    storage_.EndBatch();
    EXPECT_TRUE(fs::is_character_file(device));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Cannot write file \"" + device.string() + "\": not a regular file");
}

TEST_F(FlushSafetyTest, FileOfExactlyTheLimitIsLoaded) {
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=big\r\n");
    fs::resize_file(IniPath(), kMaxFileSize);
    EXPECT_EQ(storage_.GetString("DEVICE"), "big");
    EXPECT_TRUE(errors_.empty());
}

// Mode bits alone make a folder read-only here, so the case holds for a privileged user as well.
TEST_F(FlushSafetyTest, WritableFileInAReadOnlyFolderIsReadOnly) {
    const auto readOnlyFolder = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    const auto elsewhere = Root() / "elsewhere";
    const struct {
        const char* name;
        fs::path lockedFolder;
        bool readOnly;
    } cases[] = {
        {"the file's folder", IniPath().parent_path(), true},
        {"the folder of a link's target", elsewhere, true},
        {"the folder of the link only", IniPath().parent_path(), false},
    };
    for (const auto& c : cases) {
        fs::remove_all(IniPath().parent_path());
        fs::remove_all(elsewhere);
        const bool linked = c.lockedFolder == elsewhere || !c.readOnly;
        const auto file = linked ? elsewhere / "miran.ini" : IniPath();
        WriteExternally(file, "[CONFIG]\r\nDEVICE=A\r\n");
        if (linked) {
            fs::create_directories(IniPath().parent_path());
            fs::create_symlink(file, IniPath());
        }
        fs::permissions(c.lockedFolder, readOnlyFolder);
        errors_.clear();
        {
            TAppIniFileStorage storage;
            storage.OnError = [this](const std::string& message) { errors_.push_back(message); };
            ConfigureLikeProgram(storage);
            storage.SetDefaultSection("CONFIG");
            EXPECT_EQ(storage.IsReadOnly(), c.readOnly) << c.name;
            storage.PutString("DEVICE", "B");
            EXPECT_EQ(storage.GetString("DEVICE"), c.readOnly ? "A" : "B") << c.name;
        }
        fs::permissions(c.lockedFolder, fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(file), c.readOnly ? "[CONFIG]\r\nDEVICE=A\r\n" : "[CONFIG]\r\nDEVICE=B\r\n\r\n")
            << c.name;
        EXPECT_TRUE(errors_.empty()) << c.name;
    }
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
