#include "hid/VirtualHidPlatform.h"

#include <gtest/gtest.h>
#include <thread>
#include <windows.h>

namespace miran::hid::testing {
namespace {

void DispatchMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

// On Windows the virtual platform notifies through the main thread's message queue: a plug on another
// thread reaches the callback only when the main thread dispatches its messages, and on that thread.
TEST(WindowsVirtualNotification, ReachesTheCallbackOnTheDispatchingThread) {
    VirtualHidPlatform platform;
    EXPECT_EQ(platform.NotificationFd(), -1);
    std::thread::id calledOn;
    int calls = 0;
    platform.SetNotificationCallback([&] {
        ++calls;
        calledOn = std::this_thread::get_id();
        EXPECT_EQ(platform.TakeNotification(), 0L);
    });
    std::thread([&] { platform.Plug({}); }).join();
    EXPECT_EQ(calls, 0) << "not before the loop runs";
    DispatchMessages();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(calledOn, std::this_thread::get_id());
    platform.SetNotificationCallback({});
}

// A notification raised while nobody listened is announced again once a callback is set, as a descriptor
// would have stayed readable.
TEST(WindowsVirtualNotification, RaisedBeforeAListenerIsDeliveredToIt) {
    VirtualHidPlatform platform;
    platform.Plug({});
    DispatchMessages(); // nobody listens yet
    int calls = 0;
    platform.SetNotificationCallback([&] {
        ++calls;
        platform.TakeNotification();
    });
    DispatchMessages();
    EXPECT_EQ(calls, 1);
    platform.SetNotificationCallback({});
}

} // namespace
} // namespace miran::hid::testing
