#include "hid/HidDeviceController.h"

#include <algorithm>

namespace miran::hid {

namespace {

bool SameInstance(const THidDevice& a, const THidDevice& b) {
    return a.PnPInfo().DeviceInstance == b.PnPInfo().DeviceInstance;
}

} // namespace

THidDeviceController::THidDeviceController(std::shared_ptr<HidPlatform> platform, Events events)
    : platform_(std::move(platform)), events_(std::move(events)) {
    if (platform_->Loaded())
        platform_->PostNotification();
}

THidDeviceController::~THidDeviceController() {
    destroying_ = true;
    events_.OnDeviceChange = {};
    events_.OnEnumerate = {};
    for (THidDevice* device : devices_) {
        device->controller_ = nullptr;
        if (device->acquired_)
            device->HandleUnplug(); // the holder keeps the object
        else
            delete device;
    }
}

int THidDeviceController::NotificationFd() const { return platform_->NotificationFd(); }

void THidDeviceController::HandleNotification() {
    std::optional<long> notification = platform_->TakeNotification();
    // A notification that arrives during a scan is dropped, not deferred.
    if (!notification || destroying_ || scanning_)
        return;
    lastNotification_ = *notification;
    scanning_ = true;
    try {
        DeviceChange();
    } catch (...) {
        scanning_ = false;
        throw;
    }
    scanning_ = false;
}

void THidDeviceController::SetOnDeviceChange(TNotifyEvent handler) {
    if (handler == events_.OnDeviceChange)
        return;
    events_.OnDeviceChange = std::move(handler);
    DeviceChange();
}

template <class Handler, class... Args>
void THidDeviceController::RunDeviceEvent(THidDevice& device, const Handler& handler, Args&&... args) {
    if (!handler)
        return;
    device.inHandler_ = true;
    handler(device, std::forward<Args>(args)...);
    device.inHandler_ = false;
}

void THidDeviceController::DeviceChange() {
    bool changed = lastNotification_ == -1;

    // Any interface that cannot be made into a device object ends the scan here, with nothing changed.
    std::vector<std::unique_ptr<THidDevice>> fresh;
    if (platform_->Loaded()) {
        for (THidPnPInfo& info : platform_->CollectInterfaces())
            fresh.push_back(std::make_unique<THidDevice>(std::move(info), *platform_, this));
    }

    for (int i = static_cast<int>(devices_.size()) - 1; i >= 0; --i) {
        if (i >= static_cast<int>(devices_.size()))
            continue;
        THidDevice* device = devices_[i];
        bool present = device->attached_ && std::any_of(fresh.rbegin(), fresh.rend(), [&](const auto& f) {
                           return SameInstance(*f, *device);
                       });
        if (present)
            continue;
        device->HandleUnplug();
        RunDeviceEvent(*device, events_.OnRemoval);
        if (!device->acquired_) {
            devices_.erase(std::find(devices_.begin(), devices_.end(), device));
            device->controller_ = nullptr;
            delete device;
        }
        changed = true;
    }

    for (auto& f : fresh) {
        bool known = std::any_of(devices_.begin(), devices_.end(), [&](const THidDevice* d) {
            return d->attached_ && SameInstance(*d, *f);
        });
        if (known) {
            f->controller_ = nullptr;
            f.reset();
        }
    }

    for (auto& f : fresh) {
        if (!f)
            continue;
        THidDevice* device = f.release();
        devices_.push_back(device);
        changed = true;
        RunDeviceEvent(*device, events_.OnArrival);
    }

    Recount();
    if (changed && events_.OnDeviceChange)
        events_.OnDeviceChange();
}

void THidDeviceController::Recount() {
    availableCount_ = static_cast<int>(std::count_if(devices_.begin(), devices_.end(),
                                                     [](const THidDevice* d) { return !d->acquired_; }));
    detachedCount_ = static_cast<int>(std::count_if(devices_.begin(), devices_.end(),
                                                    [](const THidDevice* d) { return !d->attached_; }));
    int acquired = static_cast<int>(
        std::count_if(devices_.begin(), devices_.end(), [](const THidDevice* d) { return d->acquired_; }));
    acquiredCount_ = acquired - detachedCount_;
}

int THidDeviceController::EnumerateDevices() {
    int visited = 0;
    const int count = static_cast<int>(devices_.size());
    for (int i = 0; i < count && i < static_cast<int>(devices_.size()); ++i) {
        THidDevice& device = *devices_[i];
        if (!device.attached_)
            continue;
        ++visited;
        if (!EnumerationStep(device, i))
            return visited;
    }
    return visited;
}

bool THidDeviceController::EnumerationStep(THidDevice& device, int index) {
    if (!events_.OnEnumerate)
        return false;
    device.inHandler_ = true;
    bool goOn = events_.OnEnumerate(device, index);
    device.inHandler_ = false;
    if (!device.acquired_)
        device.Close();
    return goOn;
}

bool THidDeviceController::AcquireDeviceAt(THidDevice*& device, int index) {
    device = nullptr;
    if (index < 0 || index >= static_cast<int>(devices_.size()))
        return false;
    THidDevice* candidate = devices_[index];
    if (candidate->acquired_)
        return false;
    device = candidate;
    device->acquired_ = true;
    ++acquiredCount_;
    --availableCount_;
    return true;
}

void THidDeviceController::ReleaseDevice(THidDevice*& device) {
    if (!device)
        return;
    device->Close();
    if (device->attached_) {
        device->acquired_ = false;
        --acquiredCount_;
        ++availableCount_;
    } else {
        delete device; // leaves the list through DeviceDestroyed
    }
    device = nullptr;
}

void THidDeviceController::DeviceDestroyed(THidDevice* device) {
    auto it = std::find(devices_.begin(), devices_.end(), device);
    if (destroying_ || it == devices_.end())
        return;
    if (!device->attached_) {
        devices_.erase(it);
        --detachedCount_;
        return;
    }
    // Freeing an attached device leaves a fresh, unacquired object for the same interface in its place.
    try {
        *it = new THidDevice(device->info_, *platform_, this);
    } catch (const std::exception&) {
        devices_.erase(it);
    }
    if (device->acquired_) {
        --acquiredCount_;
        ++availableCount_;
    }
}

} // namespace miran::hid
