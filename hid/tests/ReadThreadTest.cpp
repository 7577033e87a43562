#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <thread>

namespace miran::hid {
namespace {

// The test's main loop: calls dispatched from other threads wait here until the test runs them.
class TestLoop {
public:
    MainThreadDispatcher Dispatcher() {
        return [this](std::function<void()> call) {
            {
                std::lock_guard lock(mutex_);
                queue_.push_back(std::move(call));
            }
            changed_.notify_all();
        };
    }

    // Runs dispatched calls until `done` holds (a guard against hanging ends the wait after 30 s).
    void RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex_);
                if (!changed_.wait_for(lock, std::chrono::seconds(30), [&] { return !queue_.empty(); })) {
                    ADD_FAILURE() << "nothing was dispatched";
                    return;
                }
                call = std::move(queue_.front());
                queue_.pop_front();
            }
            call();
        }
    }

    void WaitForDispatch() {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, std::chrono::seconds(30), [&] { return !queue_.empty(); }));
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> queue_;
};

class ReadThread : public ::testing::Test {
protected:
    void SetUp() override {
        VirtualInterface vi;
        vi.attributes = {0x16C0, 0x2AA8, 0x0100};
        vi.inputReportLength = 5;
        id_ = platform_->Plug(vi);
        controller_ = std::make_unique<THidDeviceController>(platform_, THidDeviceController::Events{},
                                                             loop_.Dispatcher());
        controller_->DeviceChange();
        ASSERT_TRUE(controller_->AcquireDeviceAt(device_, 0));
    }
    void TearDown() override {
        controller_->ReleaseDevice(device_);
        controller_.reset();
    }

    std::shared_ptr<VirtualHidPlatform> platform_ = std::make_shared<VirtualHidPlatform>();
    TestLoop loop_;
    std::unique_ptr<THidDeviceController> controller_;
    THidDevice* device_ = nullptr;
    int id_ = -1;
};

struct Received {
    std::thread::id thread;
    std::uint8_t reportId = 0;
    std::vector<std::uint8_t> data;
};

TEST_F(ReadThread, DeliversInputReportsOnTheMainThread) {
    std::vector<Received> received;
    device_->SetDataHandler(THidDataEvent(
        [&](THidDevice& d, std::uint8_t reportId, const std::uint8_t* data, std::uint16_t size) {
            EXPECT_EQ(&d, device_);
            received.push_back({std::this_thread::get_id(), reportId, {data, data + size}});
        }));
    ASSERT_TRUE(device_->ReadThreadRunning());
    platform_->SendInputReport(id_, {7, 1, 2, 3, 4});
    platform_->SendInputReport(id_, {0, 9});
    loop_.RunUntil([&] { return received.size() == 2; });
    EXPECT_EQ(received[0].thread, std::this_thread::get_id());
    EXPECT_EQ(received[0].reportId, 7);
    EXPECT_EQ(received[0].data, (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(received[1].reportId, 0);
    EXPECT_EQ(received[1].data, (std::vector<std::uint8_t>{9}));

    device_->SetDataHandler({});
    EXPECT_FALSE(device_->ReadThreadRunning());
}

TEST_F(ReadThread, ControllerHandlerStartsTheThreadWhenTheDeviceIsLent) {
    controller_->ReleaseDevice(device_);
    int reports = 0;
    controller_->SetOnDeviceData(
        THidDataEvent([&](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) { ++reports; }));
    ASSERT_TRUE(controller_->AcquireDeviceAt(device_, 0));
    EXPECT_TRUE(device_->ReadThreadRunning());
    platform_->SendInputReport(id_, {1, 2});
    loop_.RunUntil([&] { return reports == 1; });
}

TEST_F(ReadThread, FailedReadsAreReportedAndRetried) {
    device_->SetSleepTime(10);
    std::vector<std::uint32_t> errors;
    const std::thread::id main = std::this_thread::get_id();
    device_->SetDataErrorHandler(THidDataErrorEvent([&](THidDevice&, std::uint32_t error) {
        EXPECT_EQ(std::this_thread::get_id(), main);
        errors.push_back(error);
    }));
    device_->SetDataHandler(
        THidDataEvent([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {}));
    platform_->Unplug(id_); // no scan yet: the thread finds out by itself
    loop_.RunUntil([&] { return errors.size() >= 3; });
    EXPECT_EQ(errors[0], static_cast<std::uint32_t>(ENODEV));
    EXPECT_TRUE(device_->ReadThreadRunning());
}

TEST_F(ReadThread, ReleaseRunsTheDeliveryTheThreadIsWaitingFor) {
    bool delivered = false;
    device_->SetDataHandler(THidDataEvent(
        [&](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) { delivered = true; }));
    platform_->SendInputReport(id_, {1, 2});
    loop_.WaitForDispatch(); // the thread now waits for the main thread
    controller_->ReleaseDevice(device_);
    EXPECT_TRUE(delivered);
}

TEST_F(ReadThread, HandlerMayStopItsOwnReading) {
    int reports = 0;
    device_->SetDataHandler(
        THidDataEvent([&](THidDevice& d, std::uint8_t, const std::uint8_t*, std::uint16_t) {
            ++reports;
            d.SetDataHandler({});
        }));
    platform_->SendInputReport(id_, {1, 2});
    loop_.RunUntil([&] { return reports == 1; });
    EXPECT_FALSE(device_->ReadThreadRunning());
}

// Stopping its own reading leaves the thread to end by itself; the owner may go as soon as the handler has
// returned, its loop and dispatcher with it, so by then the thread must have left the dispatcher.
TEST(ReadThreadOwner, MayGoOnceTheHandlerHasStoppedTheReading) {
    auto platform = std::make_shared<VirtualHidPlatform>();
    VirtualInterface vi;
    vi.attributes = {0x16C0, 0x2AA8, 0x0100};
    vi.inputReportLength = 5;
    const int id = platform->Plug(vi);
    TestLoop loop;
    std::mutex mutex;
    std::condition_variable started;
    bool handlerStarted = false;
    std::atomic<bool> insideDispatcher = false;
    MainThreadDispatcher post = loop.Dispatcher();
    // Like a dispatcher that still signals its loop after queuing the call: it stays until the call has
    // begun.
    auto controller = std::make_unique<THidDeviceController>(
        platform, THidDeviceController::Events{}, [&](std::function<void()> call) {
            insideDispatcher = true;
            post(std::move(call));
            std::unique_lock lock(mutex);
            started.wait(lock, [&] { return handlerStarted; });
            insideDispatcher = false;
        });
    controller->DeviceChange();
    THidDevice* device = nullptr;
    ASSERT_TRUE(controller->AcquireDeviceAt(device, 0));
    bool stopped = false;
    device->SetDataHandler(
        THidDataEvent([&](THidDevice& d, std::uint8_t, const std::uint8_t*, std::uint16_t) {
            {
                std::lock_guard lock(mutex);
                handlerStarted = true;
            }
            started.notify_all();
            d.SetDataHandler({});
            EXPECT_FALSE(insideDispatcher);
            stopped = true;
        }));
    platform->SendInputReport(id, {1, 2});
    loop.RunUntil([&] { return stopped; });
    controller->ReleaseDevice(device);
}

TEST_F(ReadThread, HandlerMayReleaseItsDeviceAfterItHasGone) {
    bool released = false;
    device_->SetDataHandler(THidDataEvent([&](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {
        platform_->Unplug(id_);
        controller_->DeviceChange(); // the device is now detached; releasing frees it
        controller_->ReleaseDevice(device_);
        released = true;
    }));
    platform_->SendInputReport(id_, {1, 2});
    loop_.RunUntil([&] { return released; });
    EXPECT_EQ(device_, nullptr);
    EXPECT_EQ(controller_->Count(), 0);
}

} // namespace
} // namespace miran::hid
