#include "NamedLock.h"
#include "settings/AppIniFileStorage.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <sstream>
#include <string>
#include <thread>
#include <windows.h>

namespace miran::settings {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string RoamingAppData() {
    char path[MAX_PATH] = {};
    EXPECT_EQ(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    return path;
}

// The program's own file in the roaming application-data folder, removed before and after.
class WindowsSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(Folder()); }
    void TearDown() override {
        ::SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::remove_all(Folder());
    }

    static fs::path Folder() { return fs::path(RoamingAppData()) / "MIRAN"; }
    static std::string IniPath() { return RoamingAppData() + "\\MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini"; }

    std::unique_ptr<TAppIniFileStorage> Open() {
        auto storage = std::make_unique<TAppIniFileStorage>();
        storage->SetAutoFlush(true);
        storage->SetAutoReload(true);
        storage->SetLocation(TFileLocation::flUserFolder);
        storage->SetFileName("MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini");
        storage->SetDefaultSection("CONFIG");
        storage->OnError = [this](const std::string& message) { errors_.push_back(message); };
        return storage;
    }

    std::vector<std::string> errors_;
};

TEST_F(WindowsSettingsTest, ResolvesEachLocation) {
    TAppIniFileStorage storage;
    storage.SetFlushOnDestroy(false);
    const auto resolved = [&](TFileLocation location, const std::string& name) {
        storage.SetLocation(location);
        storage.SetFileName(name);
        return storage.ResolvedFileName();
    };
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH + 1, temp);
    const auto appData = RoamingAppData();
    const struct {
        TFileLocation location;
        std::string name;
        std::string path;
    } cases[] = {
        {TFileLocation::flUserFolder, "A\\B\\c.ini", appData + "\\A\\B\\c.ini"},
        {TFileLocation::flUserFolder, "C:\\abs\\d.ini", appData + "\\d.ini"},
        {TFileLocation::flUserFolder, "\\\\server\\share\\e.ini", appData + "\\e.ini"},
        {TFileLocation::flUserFolder, "\\\\.\\D:\\f.ini", appData + "\\f.ini"},
        {TFileLocation::flTemp, "A\\g.ini", std::string{temp} + "g.ini"},
        {TFileLocation::flExeFile, "A\\h.ini", (fs::path(exe).parent_path() / "h.ini").string()},
        {TFileLocation::flWindows, "D:i.ini", std::string{windows} + "\\i.ini"},
        {TFileLocation::flCustom, "D:\\j.ini", "D:\\j.ini"},
        {TFileLocation::flUserFolder, "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolved(c.location, c.name), c.path) << c.name;
}

TEST_F(WindowsSettingsTest, FirstRunCreatesTheFoldersInTheRoamingFolder) {
    auto storage = Open();
    EXPECT_EQ(storage->ResolvedFileName(), IniPath());
    storage->BeginBatch();
    storage->EndBatch();
    EXPECT_EQ(ReadBytes(IniPath()), "");
    storage->PutString("DEVICE", "A");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=A\r\n\r\n");
    EXPECT_EQ(Open()->GetString("DEVICE"), "A");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WindowsSettingsTest, ExternalEditIsPickedUpAtTheNextAccess) {
    auto storage = Open();
    storage->PutString("DEVICE", "A");
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
    std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << "[CONFIG]\r\nDEVICE=B\r\n";
    EXPECT_EQ(storage->GetString("DEVICE"), "B");
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Another program holding the file open keeps it from being replaced: the old file stays whole, the new
// content stays in memory and reaches the file with the next flush that succeeds.
TEST_F(WindowsSettingsTest, FileHeldOpenByAnotherProgramKeepsItsOldContent) {
    auto storage = Open();
    storage->PutString("DEVICE", "A");
    const auto before = ReadBytes(IniPath());
    const auto held = ::CreateFileA(IniPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    storage->PutString("DEVICE", "B");
    ::CloseHandle(held);
    EXPECT_EQ(ReadBytes(IniPath()), before);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find(IniPath()), std::string::npos) << errors_[0];
    EXPECT_EQ(FolderEntries(fs::path(IniPath()).parent_path()), std::vector<std::string>{"Miran-ISP-Up.ini"});
    storage->PutString("OTHER", "C");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=B\r\nOTHER=C\r\n\r\n");
}

TEST_F(WindowsSettingsTest, ReadOnlyAttributeLeavesTheFileUntouchedSilently) {
    Open()->PutString("DEVICE", "A");
    ASSERT_TRUE(::SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
    {
        auto storage = Open();
        EXPECT_TRUE(storage->IsReadOnly());
        storage->PutString("DEVICE", "B");
        EXPECT_EQ(storage->GetString("DEVICE"), "A");
    }
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=A\r\n\r\n");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WindowsSettingsTest, FolderInTheWayGoesToOnError) {
    fs::create_directories(fs::path(IniPath()));
    auto storage = Open();
    EXPECT_TRUE(storage->IsReadOnly());
    fs::remove_all(Folder());
    fs::create_directories(Folder());
    std::ofstream(Folder() / "MIRAN-ISP", std::ios::binary) << "a file where the folder belongs";
    storage = Open();
    storage->PutString("DEVICE", "A");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("MIRAN-ISP"), std::string::npos) << errors_[0];
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
}

// Whether another thread of any process can take the mutex now.
bool MutexIsFree(const std::string& name) {
    bool free = false;
    std::thread([&] {
        const auto mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
        ASSERT_NE(mutex, nullptr);
        free = ::WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
        if (free)
            ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    }).join();
    return free;
}

TEST(NamedLockTest, IsTheMutexNamedByTheBase64Text) {
    // Base64 of "TCustomAppStorage.Synchronize:C:\a.ini".
    const std::string name = "VEN1c3RvbUFwcFN0b3JhZ2UuU3luY2hyb25pemU6QzpcYS5pbmk=";
    EXPECT_EQ(TNamedLock::LockFileName("C:\\a.ini"), name);
    const auto keeper = ::CreateMutexA(nullptr, FALSE, name.c_str());
    {
        const TNamedLock lock("C:\\a.ini");
        EXPECT_FALSE(MutexIsFree(name));
    }
    EXPECT_TRUE(MutexIsFree(name));
    ::CloseHandle(keeper);
}

TEST(NamedLockTest, WaitsForTheOtherHolder) {
    const std::string name = TNamedLock::LockFileName("C:\\b.ini");
    const auto held = ::CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(held, nullptr);
    const auto taken = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread waiter([&] {
        const TNamedLock lock("C:\\b.ini");
        ::SetEvent(taken);
    });
    // Still waiting while the mutex is held: the event is not set yet.
    EXPECT_EQ(::WaitForSingleObject(taken, 0), WAIT_TIMEOUT);
    ::ReleaseMutex(held);
    EXPECT_EQ(::WaitForSingleObject(taken, INFINITE), WAIT_OBJECT_0);
    waiter.join();
    ::CloseHandle(taken);
    ::CloseHandle(held);
}

TEST(NamedLockTest, MutexLeftByAHolderThatEndedIsTaken) {
    const std::string name = TNamedLock::LockFileName("C:\\c.ini");
    const auto keeper = ::CreateMutexA(nullptr, FALSE, name.c_str());
    std::thread([&] { ::WaitForSingleObject(keeper, INFINITE); }).join();
    EXPECT_NO_THROW(TNamedLock("C:\\c.ini"));
    EXPECT_TRUE(MutexIsFree(name));
    ::CloseHandle(keeper);
}

} // namespace
} // namespace miran::settings
