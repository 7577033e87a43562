#include "ControllerFixture.h"

#include <gmock/gmock.h>

namespace miran::hid::testing {
namespace {

using ::testing::ElementsAre;

class Device : public ControllerFixture {
protected:
    THidDevice* Only() {
        CreateController();
        Pump();
        TakeLog();
        return Listed().at(0);
    }
};

TEST_F(Device, SerialNumberIsCutAtNulAndAt254Units) {
    struct Case {
        std::string reported;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"PM0000000001", "PM0000000001"},
        {std::string("AB\0CD", 5), "AB"},
        {std::string(300, 'x'), std::string(254, 'x')},
    };
    for (const Case& c : cases)
        Plug(c.reported);
    CreateController();
    Pump();
    std::vector<std::string> serials;
    controller_->SetOnEnumerate(THidEnumerateEvent([&](THidDevice& d, int) {
        serials.push_back(d.SerialNumber());
        return true;
    }));
    controller_->EnumerateDevices();
    ASSERT_EQ(serials.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(serials[i], cases[i].expected) << i;
}

TEST_F(Device, ReleasedDeviceAnswersFromItsCacheWithoutPlatformCalls) {
    Plug("A");
    THidDevice* device = Only(); // the arrival event read its serial
    const int opens = platform_->OpenCount();
    std::uint8_t report[8] = {3};
    EXPECT_FALSE(device->GetFeature(report, sizeof report));
    EXPECT_FALSE(device->SetFeature(report, sizeof report));
    EXPECT_EQ(device->SerialNumber(), "A");
    EXPECT_EQ(platform_->OpenCount(), opens);
}

TEST_F(Device, EmptySerialIsAskedAgainOnlyWhileAccessible) {
    Plug("");
    THidDevice* device = Only();
    const int opens = platform_->OpenCount();
    EXPECT_EQ(device->SerialNumber(), "");
    EXPECT_EQ(platform_->OpenCount(), opens) << "not accessible: no platform call";
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 0));
    EXPECT_EQ(held->SerialNumber(), "");
    EXPECT_EQ(held->SerialNumber(), "");
    EXPECT_EQ(platform_->OpenCount(), opens + 2) << "asked at each call";
    controller_->ReleaseDevice(held);
}

class FeatureEcho : public VirtualHidEndpoint {
public:
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        std::fill(buffer + 1, buffer + length, 0xAB);
        return true;
    }
    bool SetFeature(const std::uint8_t*, std::size_t) override { return true; }
};

TEST_F(Device, QueryOnlyInterfaceIsListedButMovesNoReport) {
    VirtualInterface vi;
    vi.readWriteAllowed = false;
    vi.endpoint = std::make_shared<FeatureEcho>();
    vi.attributes = {0x16C0, 0x2AA8, 0x0123};
    vi.inputReportLength = 9;
    Plug("A", vi);
    Only();
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 0));
    EXPECT_EQ(held->VersionNumber(), 0x0123);
    EXPECT_FALSE(held->ReadWriteAccess());
    held->SetDataHandler(THidDataEvent([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {}));
    EXPECT_FALSE(held->ReadThreadRunning());
    std::uint8_t report[4] = {2};
    EXPECT_FALSE(held->GetFeature(report, sizeof report));
    EXPECT_FALSE(held->SetFeature(report, sizeof report));
    EXPECT_EQ(report[3], 0);
    controller_->ReleaseDevice(held);
}

TEST_F(Device, SleepTimeAcceptsOnlyTenToTenThousand) {
    Plug("A");
    THidDevice* device = Only();
    for (auto [value, expected] : std::vector<std::pair<int, int>>{
             {10, 10}, {10000, 10000}, {9, 10000}, {10001, 10000}, {500, 500}, {-1, 500}}) {
        device->SetSleepTime(value);
        EXPECT_EQ(device->SleepTime(), expected) << value;
    }
}

TEST_F(Device, UnplugHandlerFiresOnce) {
    int id = Plug("A");
    Only();
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 0));
    held->SetDataHandler(THidDataEvent([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {}));
    EXPECT_TRUE(held->ReadThreadRunning());
    platform_->Unplug(id);
    Pump();
    held->HandleUnplug();
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:A", "removal:A", "change"));
    EXPECT_FALSE(held->ReadThreadRunning());
    held->SetDataHandler(THidDataEvent([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {}));
    EXPECT_FALSE(held->ReadThreadRunning()) << "no thread for a device that has gone";
    controller_->ReleaseDevice(held);
}

TEST_F(Device, FreeingAnAttachedListedDeviceLeavesAFreshOneInItsPlace) {
    Plug("A");
    Plug("B");
    Plug("C");
    CreateController();
    Pump();
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 1));
    THidDataEvent data([](THidDevice&, std::uint8_t, const std::uint8_t*, std::uint16_t) {});
    held->SetDataHandler(data);
    held->SetSleepTime(250);
    delete held;

    EXPECT_EQ(controller_->Count(), 3);
    EXPECT_EQ(controller_->AcquiredCount(), 0);
    EXPECT_EQ(controller_->AvailableCount(), 3);
    THidDevice* fresh = Listed().at(1);
    EXPECT_FALSE(fresh->Acquired());
    EXPECT_TRUE(fresh->DataHandler() == data);
    EXPECT_EQ(fresh->SleepTime(), 250);
    std::vector<std::string> serials;
    for (int i = 0; i < controller_->Count(); ++i) {
        THidDevice* lent = nullptr;
        ASSERT_TRUE(controller_->AcquireDeviceAt(lent, i));
        serials.push_back(lent->SerialNumber());
        controller_->ReleaseDevice(lent);
    }
    EXPECT_THAT(serials, ElementsAre("A", "B", "C"));
}

TEST_F(Device, ControllerHandlersReachOnlyDevicesThatStillUseTheOldOnes) {
    Plug("A");
    Plug("B");
    CreateController();
    Pump();
    std::vector<THidDevice*> devices = Listed();
    THidPlugEvent own([](THidDevice&) {});
    devices[0]->SetUnplugHandler(own);
    devices[0]->SetSleepTime(300);

    THidPlugEvent unplug([](THidDevice&) {});
    controller_->SetOnDeviceUnplug(unplug);
    EXPECT_TRUE(devices[0]->UnplugHandler() == own);
    EXPECT_TRUE(devices[1]->UnplugHandler() == unplug);

    THidDataErrorEvent error([](THidDevice&, std::uint32_t) {});
    controller_->SetOnDeviceDataError(error);
    EXPECT_TRUE(devices[0]->DataErrorHandler() == error);

    controller_->SetDevThreadSleepTime(5); // out of range: devices ignore it, the controller keeps it
    EXPECT_EQ(controller_->DevThreadSleepTime(), 5);
    EXPECT_EQ(devices[1]->SleepTime(), 100);
    controller_->SetDevThreadSleepTime(100);
    controller_->SetDevThreadSleepTime(700);
    EXPECT_EQ(devices[0]->SleepTime(), 300);
    EXPECT_EQ(devices[1]->SleepTime(), 700);

    // A device found later starts with the controller's current settings.
    Plug("C");
    Pump();
    THidDevice* later = Listed().at(2);
    EXPECT_EQ(later->SleepTime(), 700);
    EXPECT_TRUE(later->UnplugHandler() == unplug);
    EXPECT_TRUE(later->DataErrorHandler() == error);
}

} // namespace
} // namespace miran::hid::testing
