#include "hid/VirtualHidPlatform.h"

#include <atomic>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace miran::hid {

struct VirtualHidPlatform::Plugged {
    VirtualInterface interface;
    std::atomic<bool> present{true};
};

namespace {

constexpr const char* kPathPrefix = "virtual:hidraw";

class VirtualHandle : public HidHandle {
public:
    explicit VirtualHandle(std::shared_ptr<const VirtualInterface> interface,
                           std::shared_ptr<const std::atomic<bool>> present)
        : interface_(std::move(interface)), present_(std::move(present)) {}

    bool GetAttributes(HidAttributes& attributes) override {
        if (!*present_ || !interface_->attributesReadable)
            return false;
        attributes = interface_->attributes;
        return true;
    }
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        return *present_ && interface_->endpoint && interface_->endpoint->GetFeature(buffer, length);
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        return *present_ && interface_->endpoint && interface_->endpoint->SetFeature(buffer, length);
    }
    bool GetSerialNumberString(std::string& serial) override {
        if (!*present_ || interface_->serial.empty())
            return false;
        serial = interface_->serial;
        return true;
    }
    std::uint16_t InputReportLength() override { return 0; }

private:
    std::shared_ptr<const VirtualInterface> interface_;
    std::shared_ptr<const std::atomic<bool>> present_;
};

} // namespace

VirtualHidPlatform::VirtualHidPlatform() : eventFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

VirtualHidPlatform::~VirtualHidPlatform() {
    if (eventFd_ >= 0)
        close(eventFd_);
}

std::string VirtualHidPlatform::PathOf(int id) { return kPathPrefix + std::to_string(id); }

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
    {
        std::lock_guard lock(mutex_);
        auto it = interfaces_.find(id);
        if (it == interfaces_.end())
            return;
        it->second->present = false;
        interfaces_.erase(it);
    }
    Notify();
}

bool VirtualHidPlatform::IsPlugged(int id) const {
    std::lock_guard lock(mutex_);
    return interfaces_.count(id) != 0;
}

int VirtualHidPlatform::NotificationCount() const {
    std::lock_guard lock(mutex_);
    return notifications_;
}

std::vector<THidPnPInfo> VirtualHidPlatform::CollectInterfaces() {
    std::lock_guard lock(mutex_);
    std::vector<THidPnPInfo> result;
    for (const auto& [id, plugged] : interfaces_)
        result.push_back({"virtual-" + std::to_string(id), PathOf(id)});
    return result;
}

std::unique_ptr<HidHandle> VirtualHidPlatform::Open(const std::string& devicePath, HidAccess access) {
    std::lock_guard lock(mutex_);
    for (const auto& [id, plugged] : interfaces_) {
        if (PathOf(id) != devicePath)
            continue;
        const VirtualInterface& vi = plugged->interface;
        bool allowed = access == HidAccess::ReadWrite ? vi.readWriteAllowed : vi.queryAllowed;
        if (!allowed)
            return nullptr;
        // The handle shares the interface's state, so it fails once the interface is unplugged.
        return std::make_unique<VirtualHandle>(std::shared_ptr<const VirtualInterface>(plugged, &plugged->interface),
                                               std::shared_ptr<const std::atomic<bool>>(plugged, &plugged->present));
    }
    return nullptr;
}

void VirtualHidPlatform::Notify() {
    {
        std::lock_guard lock(mutex_);
        ++notifications_;
    }
    Signal();
}

void VirtualHidPlatform::PostNotification() {
    {
        std::lock_guard lock(mutex_);
        posted_ = true;
    }
    Signal();
}

void VirtualHidPlatform::Signal() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(eventFd_, &one, sizeof one);
}

std::optional<long> VirtualHidPlatform::TakeNotification() {
    std::uint64_t count = 0;
    bool pending = read(eventFd_, &count, sizeof count) == sizeof count && count > 0;
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
