#include "EventLoop.h"

#include "Interruption.h"
#include "hid/VirtualHidPlatform.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace miran::cli {
namespace {

// Calls handed over from other threads run on the main thread, inside Dispatch, and wake it from its wait.
TEST(EventLoop, RunsCallsPostedFromOtherThreadsOnTheMainThread) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    Interruption interruption;
    EventLoop loop(interruption);
    hid::THidDeviceController controller(platform);
    const std::thread::id main = std::this_thread::get_id();
    std::thread::id ranOn;
    std::thread([&] { loop.Post([&] { ranOn = std::this_thread::get_id(); }); }).join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ranOn == std::thread::id() && std::chrono::steady_clock::now() < deadline)
        loop.Dispatch(controller, std::chrono::seconds(1));
    EXPECT_EQ(ranOn, main);
}

} // namespace
} // namespace miran::cli
