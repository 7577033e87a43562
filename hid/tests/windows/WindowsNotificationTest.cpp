#include "windows/WindowsHidPlatform.h"

#include <dbt.h>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace miran::hid::windows_backend {
namespace {

// The system's libraries are present, so the platform has its notification window.
class WindowsNotification : public ::testing::Test {
protected:
    void SetUp() override {
        platform.SetNotificationCallback([this] {
            taken.push_back(platform.TakeNotification());
            if (failScan)
                throw std::runtime_error("scan failed");
        });
        ASSERT_TRUE(platform.Loaded());
        EXPECT_EQ(platform.NotificationFd(), -1);
    }

    // What the owner's message loop does.
    static void PumpMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }

    WindowsHidPlatform platform;
    std::vector<std::optional<long>> taken;
    bool failScan = false;
};

TEST_F(WindowsNotification, PostedNotificationArrivesOnceWithMinusOne) {
    platform.PostNotification();
    EXPECT_TRUE(taken.empty()); // only once the loop runs
    PumpMessages();
    EXPECT_EQ(taken, (std::vector<std::optional<long>>{-1}));
    EXPECT_EQ(platform.TakeNotification(), std::nullopt);
}

TEST_F(WindowsNotification, BroadcastDeviceNodeChangeReachesTheHiddenWindow) {
    PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    PumpMessages();
    EXPECT_EQ(taken, (std::vector<std::optional<long>>{0}));
}

TEST_F(WindowsNotification, OtherDeviceChangesAreNotNotifications) {
    PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    PumpMessages();
    EXPECT_TRUE(taken.empty());
}

TEST_F(WindowsNotification, FailedScanReachesTheMessageLoop) {
    failScan = true;
    platform.PostNotification();
    EXPECT_THROW(PumpMessages(), std::runtime_error);
    failScan = false;
    platform.PostNotification();
    PumpMessages();
    EXPECT_EQ(taken, (std::vector<std::optional<long>>{-1, -1}));
}

} // namespace
} // namespace miran::hid::windows_backend
