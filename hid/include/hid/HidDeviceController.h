#pragma once

#include "hid/HidDevice.h"
#include "hid/HidEvent.h"
#include "hid/HidPlatform.h"
#include "hid/MainThreadSync.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace miran::hid {

using THidEnumerateEvent = HidEvent<bool(THidDevice& HidDev, int Idx)>;
using TNotifyEvent = HidEvent<void()>;

// Handlers that belong to the controller from the start (as if bound in a window layout): setting them
// here starts no scan.
struct THidControllerEvents {
    THidEnumerateEvent OnEnumerate{};
    TNotifyEvent OnDeviceChange{};
    THidPlugEvent OnArrival{};
    THidPlugEvent OnRemoval{};
    THidDataEvent OnDeviceData{};
    THidDataErrorEvent OnDeviceDataError{};
    THidPlugEvent OnDeviceUnplug{};
};

// Keeps one device object per present HID interface, rescans when device nodes change, lends devices to the
// application and reports changes through events. Everything runs on the owner's (main) thread.
//
// Event-loop contract: the owner watches NotificationFd() for readability and then calls
// HandleNotification(); it also supplies a dispatcher that runs a call on the main thread, through which the
// read threads deliver input reports. A first notification is queued at construction, so the first scan runs
// once the owner's loop runs and fires OnDeviceChange even when no interface is present. A notification that
// arrives while a scan runs is dropped.
class THidDeviceController {
public:
    using Events = THidControllerEvents;

    explicit THidDeviceController(std::shared_ptr<HidPlatform> platform, Events events = {},
                                  MainThreadDispatcher dispatcher = {});
    // Devices still lent are marked unplugged (their unplug handlers fire) and left to their holders.
    ~THidDeviceController();

    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;

    int NotificationFd() const;
    void HandleNotification();

    // Rescans now.
    void DeviceChange();
    // Offers the attached devices to OnEnumerate in list order; returns how many were visited.
    int EnumerateDevices();
    bool AcquireDeviceAt(THidDevice*& device, int index);
    void ReleaseDevice(THidDevice*& device);

    int AvailableCount() const { return availableCount_; }
    int AcquiredCount() const { return acquiredCount_; }
    int DetachedCount() const { return detachedCount_; }
    int Count() const { return static_cast<int>(devices_.size()); }

    static std::string Version() { return "1.0.35"; }
    int DevThreadSleepTime() const { return devThreadSleepTime_; }
    // Devices that still use the old value get the new one.
    void SetDevThreadSleepTime(int milliseconds);

    const THidEnumerateEvent& OnEnumerate() const { return events_.OnEnumerate; }
    void SetOnEnumerate(THidEnumerateEvent handler) { events_.OnEnumerate = std::move(handler); }
    const TNotifyEvent& OnDeviceChange() const { return events_.OnDeviceChange; }
    // A new handler starts a scan at once.
    void SetOnDeviceChange(TNotifyEvent handler);
    const THidPlugEvent& OnArrival() const { return events_.OnArrival; }
    void SetOnArrival(THidPlugEvent handler) { events_.OnArrival = std::move(handler); }
    const THidPlugEvent& OnRemoval() const { return events_.OnRemoval; }
    void SetOnRemoval(THidPlugEvent handler) { events_.OnRemoval = std::move(handler); }

    // Devices whose own handler is still the controller's current one get the new one.
    const THidDataEvent& OnDeviceData() const { return events_.OnDeviceData; }
    void SetOnDeviceData(THidDataEvent handler);
    const THidDataErrorEvent& OnDeviceDataError() const { return events_.OnDeviceDataError; }
    void SetOnDeviceDataError(THidDataErrorEvent handler);
    const THidPlugEvent& OnDeviceUnplug() const { return events_.OnDeviceUnplug; }
    void SetOnDeviceUnplug(THidPlugEvent handler);

private:
    friend class THidDevice;

    // Devices whose own copy still equals the controller's current handler get the new one.
    template <class Event>
    void Propagate(Event THidControllerEvents::*slot, Event THidDevice::*own, void (THidDevice::*set)(Event),
                   Event handler);
    void DeviceDestroyed(THidDevice* device, THidDataEvent dataHandler, THidPlugEvent unplugHandler);
    void Recount();
    void RemoveAndDestroy(THidDevice* device);
    bool EnumerationStep(THidDevice& device, int index);
    // Runs a per-device event with the device's InHandler set; false when the handler destroyed the device.
    bool RunDeviceEvent(THidDevice& device, const std::function<void()>& handler);

    std::shared_ptr<HidPlatform> platform_;
    std::shared_ptr<MainThreadSync> sync_;
    Events events_;
    int devThreadSleepTime_ = kDefaultSleepTime;
    std::vector<THidDevice*> devices_; // owned
    int availableCount_ = 0;
    int acquiredCount_ = 0;
    int detachedCount_ = 0;
    bool scanning_ = false;
    long lastNotification_ = 0;
    bool destroying_ = false;
    THidDevice* eventDevice_ = nullptr; // the device of the running per-device event, while it lives
};

} // namespace miran::hid
