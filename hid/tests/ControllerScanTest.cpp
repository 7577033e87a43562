#include "ControllerFixture.h"
#include "hid/ControllerError.h"

#include <gmock/gmock.h>

namespace miran::hid::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ControllerScan = ControllerFixture;

TEST_F(ControllerScan, FirstScanRunsFromTheLoopAndFiresChangeWithoutDevices) {
    CreateController();
    EXPECT_THAT(log_, IsEmpty()) << "nothing is scanned before the loop runs";
    ASSERT_TRUE(NotificationPending());
    Pump();
    EXPECT_THAT(TakeLog(), ElementsAre("change"));

    // A later notification that finds nothing new fires nothing.
    int keyboard = Plug("kbd");
    platform_->Unplug(keyboard);
    Pump();
    EXPECT_THAT(TakeLog(), IsEmpty());
}

TEST_F(ControllerScan, EventsOfOneScanComeInOrder) {
    int a = Plug("A");
    Plug("B");
    int c = Plug("C");
    CreateController();
    Pump();
    EXPECT_THAT(TakeLog(), ElementsAre("arrival:A", "arrival:B", "arrival:C", "change"));

    platform_->Unplug(a);
    platform_->Unplug(c);
    Plug("D");
    Plug("E");
    Pump();
    // Gone devices from the highest index down, each with its unplug handler first; then the arrivals.
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:C", "removal:C", "unplug:A", "removal:A", "arrival:D",
                                       "arrival:E", "change"));
    EXPECT_EQ(controller_->Count(), 3);
    EXPECT_EQ(controller_->AvailableCount(), 3);
}

TEST_F(ControllerScan, InterfaceBackUnderTheSameInstanceKeepsItsObject) {
    VirtualInterface vi;
    vi.instance = "usb-1-2";
    int id = Plug("A", vi);
    CreateController();
    Pump();
    THidDevice* before = Listed().at(0);
    TakeLog();

    platform_->Unplug(id);
    Plug("A", vi);
    Pump();
    EXPECT_THAT(TakeLog(), IsEmpty());
    EXPECT_EQ(Listed().at(0), before);
}

TEST_F(ControllerScan, LentDeviceThatGoesStaysListedUntilReleased) {
    int id = Plug("A");
    CreateController();
    Pump();
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 0));
    TakeLog();

    platform_->Unplug(id);
    Pump();
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:A", "removal:A", "change"));
    EXPECT_FALSE(held->Attached());
    EXPECT_EQ(controller_->Count(), 1);
    EXPECT_EQ(controller_->DetachedCount(), 1);
    EXPECT_EQ(controller_->AcquiredCount(), 0);
    EXPECT_EQ(controller_->AvailableCount(), 0);
    std::uint8_t report[8] = {3};
    EXPECT_FALSE(held->GetFeature(report, sizeof report));
    EXPECT_FALSE(held->SetFeature(report, sizeof report));

    // Every later scan treats it as gone again, without its unplug handler.
    int other = Plug("kbd");
    platform_->Unplug(other);
    Pump();
    EXPECT_THAT(TakeLog(), ElementsAre("removal:A", "change"));

    controller_->ReleaseDevice(held);
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(controller_->Count(), 0);
    EXPECT_EQ(controller_->DetachedCount(), 0);
}

// A holder that gives back every device it holds as soon as one of them goes.
class UnplugHandlerGivesBack : public ControllerFixture {
protected:
    void Hold(int index) {
        THidDevice* device = nullptr;
        ASSERT_TRUE(controller_->AcquireDeviceAt(device, index));
        held_.push_back(device);
    }

    void GiveBackOnUnplug() {
        // The controller may be on its way out: the handler keeps its own pointer.
        THidDeviceController* owner = controller_.get();
        controller_->SetOnDeviceUnplug(THidPlugEvent([this, owner](THidDevice& d) {
            log_.push_back("unplug:" + Name(d));
            for (THidDevice*& device : held_)
                owner->ReleaseDevice(device);
        }));
    }

    std::vector<THidDevice*> held_;
};

TEST_F(UnplugHandlerGivesBack, TheDeviceThatWentAtAScan) {
    Plug("A");
    Plug("B");
    int c = Plug("C");
    CreateController();
    Pump();
    Hold(0);
    Hold(2);
    GiveBackOnUnplug();
    TakeLog();

    platform_->Unplug(c);
    Pump();
    // C no longer exists once its own handler has given it back: there is nothing left to report removed.
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:C", "change"));
    EXPECT_THAT(held_, ElementsAre(nullptr, nullptr));
    EXPECT_EQ(controller_->Count(), 2);
    EXPECT_EQ(controller_->DetachedCount(), 0);
    EXPECT_EQ(controller_->AcquiredCount(), 0);
    EXPECT_EQ(controller_->AvailableCount(), 2);
}

TEST_F(UnplugHandlerGivesBack, EveryDeviceWhenTheControllerGoes) {
    Plug("A");
    int b = Plug("B");
    CreateController();
    Pump();
    Hold(0);
    Hold(1);
    platform_->Unplug(b);
    Pump(); // B stays listed, detached, until it is given back
    GiveBackOnUnplug();
    TakeLog();

    controller_.reset();
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:A"));
    EXPECT_THAT(held_, ElementsAre(nullptr, nullptr));
}

struct BrokenInterfaceCase {
    const char* name;
    bool queryAllowed;
    bool attributesReadable;
    const char* message;
};

class ControllerScanError : public ControllerFixture,
                            public ::testing::WithParamInterface<BrokenInterfaceCase> {};

TEST_P(ControllerScanError, EndsTheScanWithTheListAsItWas) {
    int a = Plug("A");
    CreateController();
    Pump();
    TakeLog();

    platform_->Unplug(a);
    Plug("B");
    VirtualInterface broken;
    broken.readWriteAllowed = false;
    broken.queryAllowed = GetParam().queryAllowed;
    broken.attributesReadable = GetParam().attributesReadable;
    int brokenId = Plug("X", broken);
    ASSERT_TRUE(NotificationPending());
    try {
        controller_->HandleNotification();
        FAIL() << "the scan should raise";
    } catch (const EControllerError& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
    EXPECT_THAT(TakeLog(), IsEmpty());
    ASSERT_EQ(Listed().size(), 1u);
    EXPECT_TRUE(Listed()[0]->Attached()) << "A is still listed as it was";
    EXPECT_EQ(controller_->AvailableCount(), 1);

    // The scan flag was cleared: the next notification scans again.
    platform_->Unplug(brokenId);
    Pump();
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:A", "removal:A", "arrival:B", "change"));
}

INSTANTIATE_TEST_SUITE_P(
    Creation, ControllerScanError,
    ::testing::Values(BrokenInterfaceCase{"NotOpenable", false, true, kDeviceCannotBeOpened},
                      BrokenInterfaceCase{"NotIdentifiable", true, false, kDeviceCannotBeIdentified}),
    [](const auto& paramInfo) { return paramInfo.param.name; });

TEST_F(ControllerScan, NotificationDuringAScanIsDropped) {
    CreateController();
    int scans = 0;
    controller_->SetOnDeviceChange(TNotifyEvent([&] {
        if (++scans == 1) {
            Plug("B"); // the handler lets pending notifications be processed
            ASSERT_TRUE(NotificationPending());
            controller_->HandleNotification();
        }
    }));
    Pump();
    EXPECT_EQ(scans, 1);
    EXPECT_FALSE(NotificationPending()) << "consumed, not deferred";
    EXPECT_EQ(controller_->Count(), 0);

    Plug("C");
    Pump();
    EXPECT_EQ(scans, 2);
    EXPECT_EQ(controller_->Count(), 2);
}

TEST_F(ControllerScan, SameDeviceChangeHandlerStartsNoScan) {
    CreateController();
    Pump();
    TakeLog();
    int scans = 0;
    TNotifyEvent handler([&] { ++scans; });
    controller_->SetOnDeviceChange(handler);
    EXPECT_EQ(scans, 1) << "the first notification forces the change event";
    controller_->SetOnDeviceChange(handler);
    EXPECT_EQ(scans, 1);
}

class SilentPlatform : public HidPlatform {
public:
    bool Loaded() const override { return false; }
    std::vector<THidPnPInfo> CollectInterfaces() override {
        ADD_FAILURE() << "a silent platform is never asked";
        return {};
    }
    std::unique_ptr<HidHandle> Open(const THidPnPInfo&, HidAccess) override { return nullptr; }
    int NotificationFd() const override { return -1; }
    void PostNotification() override { ADD_FAILURE() << "nothing is posted"; }
    std::optional<long> TakeNotification() override { return std::nullopt; }
};

TEST(ControllerSilent, NoDevicesNoNotificationsNoEvents) {
    int changes = 0;
    THidDeviceController controller(std::make_shared<SilentPlatform>(),
                                    {.OnDeviceChange = TNotifyEvent([&] { ++changes; })});
    EXPECT_EQ(controller.NotificationFd(), -1);
    controller.HandleNotification();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(controller.EnumerateDevices(), 0);
}

// A backend that gets its notifications as window messages on the main thread and hands them on at once.
class WindowMessagePlatform : public VirtualHidPlatform {
public:
    int NotificationFd() const override { return -1; }
    void SetNotificationCallback(std::function<void()> pending) override { pending_ = std::move(pending); }
    void PostNotification() override {
        VirtualHidPlatform::PostNotification();
        pendingPosted_ = true; // delivered once the message loop runs
    }
    // The message loop delivers what was posted, then a device-node change arrives.
    void RunMessageLoop() {
        if (std::exchange(pendingPosted_, false) && pending_)
            pending_();
    }
    void DeviceNodesChanged() {
        if (pending_)
            pending_();
    }
    bool Subscribed() const { return pending_ != nullptr; }

private:
    std::function<void()> pending_;
    bool pendingPosted_ = false;
};

TEST(ControllerWindowMessages, NotificationsWithoutADescriptorReachTheController) {
    auto platform = std::make_shared<WindowMessagePlatform>();
    std::vector<int> counts;
    {
        THidDeviceController controller(platform);
        controller.SetOnDeviceChange(TNotifyEvent([&] { counts.push_back(controller.Count()); }));
        platform->RunMessageLoop();
        EXPECT_EQ(counts, std::vector<int>{0}) << "the first notification forces the change event";
        VirtualInterface vi;
        vi.attributes = {0x16C0, 0x2AA8, 0x0100};
        platform->Plug(vi);
        platform->DeviceNodesChanged();
        EXPECT_EQ(counts, (std::vector<int>{0, 1}));
    }
    EXPECT_FALSE(platform->Subscribed());
}

TEST_F(ControllerScan, DestructionUnplugsLentDevicesAndLeavesThemToTheirHolder) {
    Plug("A");
    Plug("B");
    CreateController();
    Pump();
    THidDevice* held = nullptr;
    ASSERT_TRUE(controller_->AcquireDeviceAt(held, 1));
    TakeLog();
    controller_.reset();
    EXPECT_THAT(TakeLog(), ElementsAre("unplug:B"));
    EXPECT_FALSE(held->Attached());
    delete held;
}

} // namespace
} // namespace miran::hid::testing
