#include "windows/WindowsHidPlatform.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace miran::hid::windows_backend {
namespace {

using namespace std::chrono_literals;

// The server end of a named pipe, standing in for a device path: what it writes arrives as an input report.
class PipeDevice {
public:
    explicit PipeDevice(const std::string& path)
        : server_(CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                   4096, 0, nullptr)) {}
    ~PipeDevice() { Close(); }

    bool Valid() const { return server_ != INVALID_HANDLE_VALUE; }
    bool Write(const std::vector<std::uint8_t>& bytes) {
        DWORD written = 0;
        return WriteFile(server_, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    void Close() {
        if (Valid())
            CloseHandle(server_);
        server_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE server_;
};

class WindowsHandle : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform.Loaded());
        ASSERT_TRUE(device.Valid());
    }

    std::unique_ptr<HidHandle> OpenForReading() { return platform.Open({"1", kPath}, HidAccess::Read); }

    static constexpr const char* kPath = R"(\\.\pipe\miran-hid-handle-test)";
    WindowsHidPlatform platform;
    PipeDevice device{kPath};
    std::uint8_t buffer[8] = {};
};

TEST_F(WindowsHandle, ReadKeepsWaitingUntilAReportArrives) {
    std::unique_ptr<HidHandle> handle = OpenForReading();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->ReadInputReport(buffer, sizeof buffer, 10ms).status, HidInputRead::Status::Timeout);
    ASSERT_TRUE(device.Write({3, 0x11, 0x22}));
    // The read started by the first call receives it.
    HidInputRead read = handle->ReadInputReport(buffer, sizeof buffer, 10s);
    ASSERT_EQ(read.status, HidInputRead::Status::Report);
    EXPECT_EQ(read.bytes, 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 3), (std::vector<std::uint8_t>{3, 0x11, 0x22}));
}

TEST_F(WindowsHandle, ClosingCancelsAPendingRead) {
    std::unique_ptr<HidHandle> handle = OpenForReading();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->ReadInputReport(buffer, sizeof buffer, 1ms).status, HidInputRead::Status::Timeout);
    handle.reset();
    EXPECT_FALSE(device.Write({1}));
}

TEST_F(WindowsHandle, DeviceThatWentEndsTheReadWithTheSystemsError) {
    std::unique_ptr<HidHandle> handle = OpenForReading();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->ReadInputReport(buffer, sizeof buffer, 1ms).status, HidInputRead::Status::Timeout);
    device.Close();
    HidInputRead read = handle->ReadInputReport(buffer, sizeof buffer, 10s);
    EXPECT_EQ(read.status, HidInputRead::Status::Error);
    EXPECT_EQ(read.error, DWORD(ERROR_BROKEN_PIPE));
}

TEST_F(WindowsHandle, FailedOpenSetsErrnoAndLeavesTheSystemsError) {
    struct Case {
        std::string path;
        DWORD error;
        int errnoValue;
    };
    std::unique_ptr<HidHandle> holder = OpenForReading(); // the pipe's only instance is taken now
    ASSERT_NE(holder, nullptr);
    const Case cases[] = {
        {R"(\\.\pipe\miran-hid-no-such-device)", ERROR_FILE_NOT_FOUND, ENOENT},
        {R"(C:\miran-no-such-folder\device)", ERROR_PATH_NOT_FOUND, ENOENT},
        {kPath, ERROR_PIPE_BUSY, EIO},
    };
    for (const Case& c : cases) {
        errno = 0;
        EXPECT_EQ(platform.Open({"2", c.path}, HidAccess::ReadWrite), nullptr) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        EXPECT_EQ(errno, c.errnoValue) << c.path;
    }
}

} // namespace
} // namespace miran::hid::windows_backend
