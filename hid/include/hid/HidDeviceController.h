#pragma once

#include "hid/HidDevice.h"
#include "hid/HidEvent.h"
#include "hid/HidPlatform.h"

#include <memory>
#include <vector>

namespace miran::hid {

using THidEnumerateEvent = HidEvent<bool(THidDevice& HidDev, int Idx)>;
using THidPlugEvent = HidEvent<void(THidDevice& HidDev)>;
using TNotifyEvent = HidEvent<void()>;

// Keeps one device object per present HID interface, rescans when device nodes change, lends devices to the
// application and reports changes through events. Everything runs on the owner's (main) thread.
//
// Event-loop contract: the owner watches NotificationFd() for readability and then calls
// HandleNotification(). A first notification is queued at construction, so the first scan runs once the
// owner's loop runs and fires OnDeviceChange even when no interface is present.
class THidDeviceController {
public:
    // Handlers that belong to the controller from the start (as if bound in a window layout): setting them
    // here starts no scan.
    struct Events {
        THidEnumerateEvent OnEnumerate;
        TNotifyEvent OnDeviceChange;
        THidPlugEvent OnArrival;
        THidPlugEvent OnRemoval;
    };

    explicit THidDeviceController(std::shared_ptr<HidPlatform> platform, Events events = {});
    ~THidDeviceController();

    THidDeviceController(const THidDeviceController&) = delete;
    THidDeviceController& operator=(const THidDeviceController&) = delete;

    int NotificationFd() const;
    void HandleNotification();

    // Rescans now.
    void DeviceChange();
    int EnumerateDevices();
    bool AcquireDeviceAt(THidDevice*& device, int index);
    void ReleaseDevice(THidDevice*& device);

    int AvailableCount() const { return availableCount_; }
    int AcquiredCount() const { return acquiredCount_; }
    int DetachedCount() const { return detachedCount_; }
    int Count() const { return static_cast<int>(devices_.size()); }

    void SetOnEnumerate(THidEnumerateEvent handler) { events_.OnEnumerate = std::move(handler); }
    // A new handler starts a scan at once.
    void SetOnDeviceChange(TNotifyEvent handler);
    void SetOnArrival(THidPlugEvent handler) { events_.OnArrival = std::move(handler); }
    void SetOnRemoval(THidPlugEvent handler) { events_.OnRemoval = std::move(handler); }

private:
    friend class THidDevice;

    void DeviceDestroyed(THidDevice* device);
    void Recount();
    bool EnumerationStep(THidDevice& device, int index);
    template <class Handler, class... Args> void RunDeviceEvent(THidDevice& device, const Handler& h, Args&&...);

    std::shared_ptr<HidPlatform> platform_;
    Events events_;
    std::vector<THidDevice*> devices_; // owned
    int availableCount_ = 0;
    int acquiredCount_ = 0;
    int detachedCount_ = 0;
    bool scanning_ = false;
    long lastNotification_ = 0;
    bool destroying_ = false;
};

} // namespace miran::hid
