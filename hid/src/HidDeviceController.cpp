#include "hid/HidDeviceController.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace miran::hid {

THidDeviceController::THidDeviceController(std::shared_ptr<HidPlatform> platform, Events events,
                                           MainThreadDispatcher dispatcher)
    : platform_(std::move(platform)), sync_(std::make_shared<MainThreadSync>(std::move(dispatcher))),
      events_(std::move(events)) {
    platform_->SetNotificationCallback([this] { HandleNotification(); });
    if (platform_->Loaded())
        platform_->PostNotification();
}

THidDeviceController::~THidDeviceController() {
    destroying_ = true;
    platform_->SetNotificationCallback({});
    events_.OnDeviceChange = {};
    events_.OnDeviceUnplug = {};
    events_.OnEnumerate = {};
    // An unplug handler may give back any device its holder has, so each device leaves the list before it is
    // handled and a device freed meanwhile leaves it through DeviceDestroyed.
    while (!devices_.empty()) {
        THidDevice* device = devices_.front();
        devices_.erase(devices_.begin());
        device->controller_ = nullptr;
        if (device->acquired_)
            device->HandleUnplug(); // the holder keeps the object
        else
            delete device;
    }
}

int THidDeviceController::NotificationFd() const {
    return platform_->NotificationFd();
}

void THidDeviceController::HandleNotification() {
    std::optional<long> notification = platform_->TakeNotification();
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

template <class Event>
void THidDeviceController::Propagate(Event THidControllerEvents::*slot, Event THidDevice::*own,
                                     void (THidDevice::*set)(Event), Event handler) {
    Event& current = events_.*slot;
    if (handler == current)
        return;
    for (THidDevice* device : devices_) {
        if (device->*own == current)
            (device->*set)(handler);
    }
    current = std::move(handler);
}

void THidDeviceController::SetOnDeviceData(THidDataEvent handler) {
    Propagate(&Events::OnDeviceData, &THidDevice::dataHandler_, &THidDevice::SetDataHandler,
              std::move(handler));
}

void THidDeviceController::SetOnDeviceDataError(THidDataErrorEvent handler) {
    Propagate(&Events::OnDeviceDataError, &THidDevice::dataErrorHandler_, &THidDevice::SetDataErrorHandler,
              std::move(handler));
}

void THidDeviceController::SetOnDeviceUnplug(THidPlugEvent handler) {
    Propagate(&Events::OnDeviceUnplug, &THidDevice::unplugHandler_, &THidDevice::SetUnplugHandler,
              std::move(handler));
}

void THidDeviceController::SetDevThreadSleepTime(int milliseconds) {
    if (milliseconds == devThreadSleepTime_)
        return;
    for (THidDevice* device : devices_) {
        if (device->SleepTime() == devThreadSleepTime_)
            device->SetSleepTime(milliseconds);
    }
    devThreadSleepTime_ = milliseconds;
}

bool THidDeviceController::RunDeviceEvent(THidDevice& device, const std::function<void()>& handler) {
    THidDevice* outer = std::exchange(eventDevice_, &device);
    device.inHandler_ = true;
    auto finish = [&] {
        bool alive = eventDevice_ != nullptr;
        if (alive)
            device.inHandler_ = false;
        eventDevice_ = outer;
        return alive;
    };
    try {
        handler();
    } catch (...) {
        finish();
        throw;
    }
    return finish();
}

void THidDeviceController::DeviceChange() {
    bool changed = lastNotification_ == -1;

    // An interface that cannot be made into a device object ends the scan here, with nothing changed.
    std::vector<std::unique_ptr<THidDevice>> fresh;
    if (platform_->Loaded()) {
        for (THidPnPInfo& info : platform_->CollectInterfaces())
            fresh.push_back(std::make_unique<THidDevice>(std::move(info), platform_, this));
    }

    std::unordered_set<std::string> present;
    for (const auto& f : fresh)
        present.insert(f->PnPInfo().DeviceInstance);
    for (int i = static_cast<int>(devices_.size()) - 1; i >= 0; --i) {
        // A removal handler may have released other devices and so shortened the list.
        if (i >= static_cast<int>(devices_.size()))
            continue;
        THidDevice* device = devices_[i];
        if (device->attached_ && present.count(device->PnPInfo().DeviceInstance))
            continue;
        bool alive = device->HandleUnplug();
        if (alive && events_.OnRemoval)
            alive = RunDeviceEvent(*device, [&, h = events_.OnRemoval] { h(*device); });
        if (alive && !device->acquired_)
            RemoveAndDestroy(device);
        changed = true;
    }

    std::unordered_set<std::string> listed;
    for (const THidDevice* device : devices_) {
        if (device->attached_)
            listed.insert(device->PnPInfo().DeviceInstance);
    }
    for (auto& f : fresh) {
        if (listed.count(f->PnPInfo().DeviceInstance)) {
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
        if (events_.OnArrival)
            RunDeviceEvent(*device, [&, h = events_.OnArrival] { h(*device); });
    }

    Recount();
    if (TNotifyEvent handler = events_.OnDeviceChange; changed && handler)
        handler();
}

void THidDeviceController::RemoveAndDestroy(THidDevice* device) {
    devices_.erase(std::find(devices_.begin(), devices_.end(), device));
    device->controller_ = nullptr;
    delete device;
}

void THidDeviceController::Recount() {
    auto count = [this](auto predicate) {
        return static_cast<int>(std::count_if(devices_.begin(), devices_.end(), predicate));
    };
    availableCount_ = count([](const THidDevice* d) { return !d->acquired_; });
    detachedCount_ = count([](const THidDevice* d) { return !d->attached_; });
    acquiredCount_ = count([](const THidDevice* d) { return d->acquired_; }) - detachedCount_;
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
    bool goOn = false;
    bool alive = RunDeviceEvent(device, [&, h = events_.OnEnumerate] { goOn = h(device, index); });
    if (alive && !device.acquired_)
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
    device->StartReadThread();
    return true;
}

void THidDeviceController::ReleaseDevice(THidDevice*& device) {
    if (!device)
        return;
    device->StopReadThread();
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

void THidDeviceController::DeviceDestroyed(THidDevice* device, THidDataEvent dataHandler,
                                           THidPlugEvent unplugHandler) {
    if (eventDevice_ == device)
        eventDevice_ = nullptr;
    auto it = std::find(devices_.begin(), devices_.end(), device);
    if (it == devices_.end())
        return;
    if (destroying_) {
        devices_.erase(it);
        return;
    }
    if (!device->attached_) {
        devices_.erase(it);
        --detachedCount_;
        return;
    }
    // Freeing an attached device leaves a fresh, unacquired object for the same interface in its place.
    // A destructor cannot raise: an interface that can no longer be identified just leaves the list.
    try {
        auto replacement = std::make_unique<THidDevice>(device->info_, platform_, this);
        replacement->SetDataHandler(std::move(dataHandler));
        replacement->SetUnplugHandler(std::move(unplugHandler));
        replacement->SetSleepTime(device->SleepTime());
        *it = replacement.release();
    } catch (const std::exception&) {
        devices_.erase(it);
        Recount();
        return;
    }
    if (device->acquired_) {
        --acquiredCount_;
        ++availableCount_;
    }
}

} // namespace miran::hid
