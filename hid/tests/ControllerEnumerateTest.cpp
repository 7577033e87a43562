#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace miran::hid::testing {
namespace {

using ::testing::ElementsAre;

class ControllerEnumerate : public ControllerFixture {
protected:
    void SetUp() override {
        for (const char* serial : {"A", "B", "C"})
            ids_.push_back(Plug(serial));
        CreateController();
        Pump();
        TakeLog();
    }

    std::vector<int> ids_;
};

TEST_F(ControllerEnumerate, WithoutHandlerCountsOneWhenAnyDeviceIsAttached) {
    EXPECT_EQ(controller_->EnumerateDevices(), 1);
    for (int id : ids_)
        platform_->Unplug(id);
    Pump();
    EXPECT_EQ(controller_->EnumerateDevices(), 0);
}

TEST_F(ControllerEnumerate, StopsAtTheDeviceWhoseHandlerSaysSoAndCountsIt) {
    struct Case {
        int stopAt;
        int expected;
    };
    for (Case c : {Case{0, 1}, Case{1, 2}, Case{2, 3}, Case{-1, 3}}) {
        std::vector<int> seen;
        controller_->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
            seen.push_back(idx);
            return idx != c.stopAt;
        }));
        EXPECT_EQ(controller_->EnumerateDevices(), c.expected) << "stop at " << c.stopAt;
        EXPECT_EQ(static_cast<int>(seen.size()), c.expected);
    }
}

TEST_F(ControllerEnumerate, HandlerSeesAnAccessibleDeviceWhoseHandlesCloseUnlessAcquired) {
    std::vector<THidDevice*> kept;
    controller_->SetOnEnumerate(THidEnumerateEvent([&](THidDevice& device, int idx) {
        EXPECT_TRUE(device.InHandler());
        EXPECT_TRUE(device.Accessible());
        std::uint8_t report[8] = {3};
        device.GetFeature(report, sizeof report); // opens the handle
        EXPECT_TRUE(device.IsOpen());
        if (idx == 1) {
            THidDevice* held = nullptr;
            EXPECT_TRUE(controller_->AcquireDeviceAt(held, idx));
            kept.push_back(held);
        }
        return true;
    }));
    std::vector<THidDevice*> devices = Listed();
    EXPECT_EQ(controller_->EnumerateDevices(), 3);
    EXPECT_FALSE(devices[0]->IsOpen());
    EXPECT_TRUE(devices[1]->IsOpen());
    EXPECT_FALSE(devices[2]->IsOpen());
    EXPECT_FALSE(devices[0]->InHandler());
    EXPECT_EQ(kept, std::vector<THidDevice*>{devices[1]});
    EXPECT_EQ(controller_->AcquiredCount(), 1);
    EXPECT_EQ(controller_->AvailableCount(), 2);
    controller_->ReleaseDevice(kept[0]);
}

TEST_F(ControllerEnumerate, AcquiredDevicesAreOfferedButNotLentTwice) {
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 0));
    std::vector<bool> acquired;
    controller_->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
        THidDevice* device = reinterpret_cast<THidDevice*>(1);
        acquired.push_back(controller_->AcquireDeviceAt(device, idx));
        EXPECT_EQ(device == nullptr, !acquired.back());
        return true;
    }));
    EXPECT_EQ(controller_->EnumerateDevices(), 3);
    EXPECT_THAT(acquired, ElementsAre(false, true, true));
    for (int i = 0; i < controller_->Count(); ++i) {
        THidDevice* lent = Listed()[i];
        controller_->ReleaseDevice(lent);
    }
}

TEST_F(ControllerEnumerate, DetachedDevicesAreSkippedAndNotCounted) {
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 1));
    platform_->Unplug(ids_[1]);
    Pump();
    std::vector<int> seen;
    controller_->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
        seen.push_back(idx);
        return true;
    }));
    EXPECT_EQ(controller_->EnumerateDevices(), 2);
    EXPECT_THAT(seen, ElementsAre(0, 2));
    controller_->ReleaseDevice(held);
}

TEST_F(ControllerEnumerate, AcquireOutsideTheListFails) {
    for (int index : {-1, 3, 100}) {
        THidDevice* device = reinterpret_cast<THidDevice*>(1);
        EXPECT_FALSE(controller_->AcquireDeviceAt(device, index)) << index;
        EXPECT_EQ(device, nullptr);
    }
    THidDevice* none = nullptr;
    controller_->ReleaseDevice(none); // does nothing
    EXPECT_EQ(controller_->AvailableCount(), 3);
}

TEST_F(ControllerEnumerate, AcquireAndReleaseKeepTheCounters) {
    THidDevice* a = nullptr;
    THidDevice* b = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(a, 0));
    ASSERT_TRUE(controller_->AcquireDeviceAt(b, 2));
    EXPECT_EQ(controller_->AcquiredCount(), 2);
    EXPECT_EQ(controller_->AvailableCount(), 1);
    std::uint8_t report[8] = {3};
    a->GetFeature(report, sizeof report);
    controller_->ReleaseDevice(a);
    EXPECT_EQ(a, nullptr);
    EXPECT_FALSE(Listed()[0]->IsOpen());
    EXPECT_EQ(controller_->AcquiredCount(), 1);
    EXPECT_EQ(controller_->AvailableCount(), 2);
    controller_->ReleaseDevice(b);
}

} // namespace
} // namespace miran::hid::testing
