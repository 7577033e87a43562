#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace miran::hid::testing {
namespace {

using ::testing::ElementsAre;

class ControllerEnumerate : public ControllerFixture {
protected:
    void SetUp() override {
        for (const char* serial : {"A", "B", "C"})
            ids.push_back(Plug(serial));
        CreateController();
        Pump();
        TakeLog();
    }

    std::vector<int> ids;
};

TEST_F(ControllerEnumerate, WithoutHandlerCountsOneWhenAnyDeviceIsAttached) {
    EXPECT_EQ(controller->EnumerateDevices(), 1);
    for (int id : ids)
        platform->Unplug(id);
    Pump();
    EXPECT_EQ(controller->EnumerateDevices(), 0);
}

TEST_F(ControllerEnumerate, StopsAtTheDeviceWhoseHandlerSaysSoAndCountsIt) {
    struct Case {
        int stopAt;
        int expected;
    };
    for (Case c : {Case{0, 1}, Case{1, 2}, Case{2, 3}, Case{-1, 3}}) {
        std::vector<int> seen;
        controller->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
            seen.push_back(idx);
            return idx != c.stopAt;
        }));
        EXPECT_EQ(controller->EnumerateDevices(), c.expected) << "stop at " << c.stopAt;
        EXPECT_EQ(static_cast<int>(seen.size()), c.expected);
    }
}

TEST_F(ControllerEnumerate, HandlerSeesAnAccessibleDeviceWhoseHandlesCloseUnlessAcquired) {
    std::vector<THidDevice*> kept;
    controller->SetOnEnumerate(THidEnumerateEvent([&](THidDevice& device, int idx) {
        EXPECT_TRUE(device.InHandler());
        EXPECT_TRUE(device.Accessible());
        std::uint8_t report[8] = {3};
        device.GetFeature(report, sizeof report); // opens the handle
        EXPECT_TRUE(device.IsOpen());
        if (idx == 1) {
            THidDevice* held = nullptr;
            EXPECT_TRUE(controller->AcquireDeviceAt(held, idx));
            kept.push_back(held);
        }
        return true;
    }));
    std::vector<THidDevice*> devices = Listed();
    EXPECT_EQ(controller->EnumerateDevices(), 3);
    EXPECT_FALSE(devices[0]->IsOpen());
    EXPECT_TRUE(devices[1]->IsOpen());
    EXPECT_FALSE(devices[2]->IsOpen());
    EXPECT_FALSE(devices[0]->InHandler());
    EXPECT_EQ(kept, std::vector<THidDevice*>{devices[1]});
    EXPECT_EQ(controller->AcquiredCount(), 1);
    EXPECT_EQ(controller->AvailableCount(), 2);
    controller->ReleaseDevice(kept[0]);
}

TEST_F(ControllerEnumerate, AcquiredDevicesAreOfferedButNotLentTwice) {
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller->AcquireDeviceAt(held, 0));
    std::vector<bool> acquired;
    controller->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
        THidDevice* device = reinterpret_cast<THidDevice*>(1);
        acquired.push_back(controller->AcquireDeviceAt(device, idx));
        EXPECT_EQ(device == nullptr, !acquired.back());
        return true;
    }));
    EXPECT_EQ(controller->EnumerateDevices(), 3);
    EXPECT_THAT(acquired, ElementsAre(false, true, true));
    for (int i = 0; i < controller->Count(); ++i) {
        THidDevice* lent = Listed()[i];
        controller->ReleaseDevice(lent);
    }
}

TEST_F(ControllerEnumerate, DetachedDevicesAreSkippedAndNotCounted) {
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller->AcquireDeviceAt(held, 1));
    platform->Unplug(ids[1]);
    Pump();
    std::vector<int> seen;
    controller->SetOnEnumerate(THidEnumerateEvent([&](THidDevice&, int idx) {
        seen.push_back(idx);
        return true;
    }));
    EXPECT_EQ(controller->EnumerateDevices(), 2);
    EXPECT_THAT(seen, ElementsAre(0, 2));
    controller->ReleaseDevice(held);
}

TEST_F(ControllerEnumerate, AcquireOutsideTheListFails) {
    for (int index : {-1, 3, 100}) {
        THidDevice* device = reinterpret_cast<THidDevice*>(1);
        EXPECT_FALSE(controller->AcquireDeviceAt(device, index)) << index;
        EXPECT_EQ(device, nullptr);
    }
    THidDevice* none = nullptr;
    controller->ReleaseDevice(none); // does nothing
    EXPECT_EQ(controller->AvailableCount(), 3);
}

TEST_F(ControllerEnumerate, AcquireAndReleaseKeepTheCounters) {
    THidDevice* a = nullptr;
    THidDevice* b = nullptr;
    ASSERT_TRUE(controller->AcquireDeviceAt(a, 0));
    ASSERT_TRUE(controller->AcquireDeviceAt(b, 2));
    EXPECT_EQ(controller->AcquiredCount(), 2);
    EXPECT_EQ(controller->AvailableCount(), 1);
    std::uint8_t report[8] = {3};
    a->GetFeature(report, sizeof report);
    controller->ReleaseDevice(a);
    EXPECT_EQ(a, nullptr);
    EXPECT_FALSE(Listed()[0]->IsOpen());
    EXPECT_EQ(controller->AcquiredCount(), 1);
    EXPECT_EQ(controller->AvailableCount(), 2);
    controller->ReleaseDevice(b);
}

} // namespace
} // namespace miran::hid::testing
