#include "hid/VirtualHidPlatform.h"

#include "NotificationSignal.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>

namespace miran::hid {

// The state an interface shares with its open handles: they fail once it is unplugged.
struct VirtualHidPlatform::Plugged {
    VirtualInterface interface;
    std::mutex mutex;
    std::condition_variable changed;
    bool present = true;
    std::deque<std::vector<std::uint8_t>> inputReports;
};

namespace {

constexpr const char* kPathPrefix = "virtual:hidraw";

template <class Plugged> class VirtualHandle : public HidHandle {
public:
    // A handle on a node the user may not open answers what the system knows (attributes, serial) and moves
    // no report.
    VirtualHandle(std::shared_ptr<Plugged> plugged, bool transfers)
        : plugged_(std::move(plugged)), transfers_(transfers) {}

    bool GetAttributes(HidAttributes& attributes) override {
        if (!Present() || !Interface().attributesReadable)
            return false;
        attributes = Interface().attributes;
        return true;
    }
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        return Reaches() && Interface().endpoint->GetFeature(buffer, length);
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        return Reaches() && Interface().endpoint->SetFeature(buffer, length);
    }
    bool GetSerialNumberString(std::string& serial) override {
        if (!Present() || Interface().serial.empty())
            return false;
        serial = Interface().serial;
        return true;
    }
    std::uint16_t InputReportLength() override { return Interface().inputReportLength; }

    HidInputRead ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                 std::chrono::milliseconds wait) override {
        if (!transfers_)
            return {HidInputRead::Status::Error, 0, EBADF};
        std::unique_lock lock(plugged_->mutex);
        plugged_->changed.wait_for(lock, wait,
                                   [&] { return !plugged_->present || !plugged_->inputReports.empty(); });
        if (!plugged_->present)
            return {HidInputRead::Status::Error, 0, ENODEV};
        if (plugged_->inputReports.empty())
            return {HidInputRead::Status::Timeout, 0, 0};
        std::vector<std::uint8_t> report = std::move(plugged_->inputReports.front());
        plugged_->inputReports.pop_front();
        std::size_t bytes = std::min(report.size(), length);
        std::copy_n(report.begin(), bytes, buffer);
        return {HidInputRead::Status::Report, bytes, 0};
    }

private:
    const VirtualInterface& Interface() const { return plugged_->interface; }
    bool Present() const {
        std::lock_guard lock(plugged_->mutex);
        return plugged_->present;
    }
    bool Reaches() const { return transfers_ && Present() && Interface().endpoint; }

    std::shared_ptr<Plugged> plugged_;
    bool transfers_;
};

} // namespace

VirtualHidPlatform::VirtualHidPlatform() : signal_(std::make_unique<NotificationSignal>()) {}

VirtualHidPlatform::~VirtualHidPlatform() = default;

std::string VirtualHidPlatform::PathOf(int id) {
    return kPathPrefix + std::to_string(id);
}

int VirtualHidPlatform::Plug(VirtualInterface interface) {
    int id;
    {
        std::lock_guard lock(mutex_);
        id = nextId_++;
        auto plugged = std::make_shared<Plugged>();
        plugged->interface = std::move(interface);
        interfaces_[id] = std::move(plugged);
    }
    Notify();
    return id;
}

void VirtualHidPlatform::Unplug(int id) {
    std::shared_ptr<Plugged> plugged;
    {
        std::lock_guard lock(mutex_);
        auto it = interfaces_.find(id);
        if (it == interfaces_.end())
            return;
        plugged = std::move(it->second);
        interfaces_.erase(it);
    }
    {
        std::lock_guard lock(plugged->mutex);
        plugged->present = false;
    }
    plugged->changed.notify_all();
    Notify();
}

bool VirtualHidPlatform::IsPlugged(int id) const {
    std::lock_guard lock(mutex_);
    return interfaces_.count(id) != 0;
}

void VirtualHidPlatform::SendInputReport(int id, std::vector<std::uint8_t> report) {
    std::shared_ptr<Plugged> plugged;
    {
        std::lock_guard lock(mutex_);
        auto it = interfaces_.find(id);
        if (it == interfaces_.end())
            return;
        plugged = it->second;
    }
    {
        std::lock_guard lock(plugged->mutex);
        plugged->inputReports.push_back(std::move(report));
    }
    plugged->changed.notify_all();
}

int VirtualHidPlatform::NotificationCount() const {
    std::lock_guard lock(mutex_);
    return notifications_;
}

int VirtualHidPlatform::OpenCount() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

std::vector<THidPnPInfo> VirtualHidPlatform::CollectInterfaces() {
    std::lock_guard lock(mutex_);
    std::vector<THidPnPInfo> result;
    for (const auto& [id, plugged] : interfaces_) {
        const std::string& instance = plugged->interface.instance;
        result.push_back({instance.empty() ? "virtual-" + std::to_string(id) : instance, PathOf(id)});
    }
    return result;
}

std::unique_ptr<HidHandle> VirtualHidPlatform::Open(const THidPnPInfo& interface, HidAccess access) {
    // Paths are never reused here: the path alone names the interface.
    const std::string& devicePath = interface.DevicePath;
    std::lock_guard lock(mutex_);
    auto it = devicePath.rfind(kPathPrefix, 0) == 0
                  ? interfaces_.find(std::atoi(devicePath.c_str() + std::strlen(kPathPrefix)))
                  : interfaces_.end();
    if (it == interfaces_.end() || PathOf(it->first) != devicePath) {
        errno = ENOENT;
        return nullptr;
    }
    ++opens_;
    const VirtualInterface& vi = it->second->interface;
    bool allowed = access == HidAccess::QueryOnly ? vi.queryAllowed : vi.readWriteAllowed;
    if (!allowed) {
        errno = access == HidAccess::QueryOnly ? EACCES : vi.readWriteError;
        return nullptr;
    }
    return std::make_unique<VirtualHandle<Plugged>>(it->second, vi.readWriteAllowed);
}

void VirtualHidPlatform::Notify() {
    {
        std::lock_guard lock(mutex_);
        ++notifications_;
    }
    signal_->Raise();
}

void VirtualHidPlatform::PostNotification() {
    {
        std::lock_guard lock(mutex_);
        posted_ = true;
    }
    signal_->Raise();
}

int VirtualHidPlatform::NotificationFd() const {
    return signal_->Fd();
}

void VirtualHidPlatform::SetNotificationCallback(std::function<void()> pending) {
    signal_->SetCallback(std::move(pending));
}

std::optional<long> VirtualHidPlatform::TakeNotification() {
    bool pending = signal_->Consume();
    std::lock_guard lock(mutex_);
    if (!pending)
        return std::nullopt;
    if (posted_) {
        posted_ = false;
        return -1;
    }
    return 0;
}

} // namespace miran::hid
