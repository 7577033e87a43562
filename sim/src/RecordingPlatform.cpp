#include "sim/RecordingPlatform.h"

#include <cerrno>
#include <fstream>
#include <set>
#include <stdexcept>

namespace miran::sim {

// The recording file, written from every thread that transfers.
class RecordingLog {
public:
    explicit RecordingLog(const std::string& path) : file_(path, std::ios::binary | std::ios::trunc) {
        if (!file_)
            throw std::runtime_error("cannot write " + path);
        file_ << RecordingHeader() << '\n' << std::flush;
    }

    void Write(const RecordedEvent& event) {
        std::lock_guard lock(mutex_);
        file_ << RecordingLine(event) << '\n' << std::flush;
    }

private:
    std::mutex mutex_;
    std::ofstream file_;
};

namespace {

class RecordingHandle : public hid::HidHandle {
public:
    RecordingHandle(std::unique_ptr<hid::HidHandle> recorded, int device, std::shared_ptr<RecordingLog> log)
        : recorded_(std::move(recorded)), device_(device), log_(std::move(log)) {}

    bool GetAttributes(hid::HidAttributes& attributes) override {
        return recorded_->GetAttributes(attributes);
    }
    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        const std::uint8_t reportId = length ? buffer[0] : 0;
        const bool ok = recorded_->GetFeature(buffer, length);
        log_->Write(RecordedTransfer{device_, true, reportId, {buffer, buffer + length}, ok});
        return ok;
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        const bool ok = recorded_->SetFeature(buffer, length);
        log_->Write(RecordedTransfer{
            device_, false, length ? buffer[0] : std::uint8_t{0}, {buffer, buffer + length}, ok});
        return ok;
    }
    bool GetSerialNumberString(std::string& serial) override {
        return recorded_->GetSerialNumberString(serial);
    }
    std::uint16_t InputReportLength() override { return recorded_->InputReportLength(); }
    hid::HidInputRead ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                      std::chrono::milliseconds wait) override {
        return recorded_->ReadInputReport(buffer, length, wait);
    }

private:
    std::unique_ptr<hid::HidHandle> recorded_;
    int device_;
    std::shared_ptr<RecordingLog> log_;
};

} // namespace

RecordingPlatform::RecordingPlatform(std::shared_ptr<hid::HidPlatform> recorded, const std::string& path)
    : recorded_(std::move(recorded)), log_(std::make_shared<RecordingLog>(path)) {}

RecordingPlatform::~RecordingPlatform() = default;

void RecordingPlatform::SetNotificationCallback(std::function<void()> pending) {
    recorded_->SetNotificationCallback(std::move(pending));
}

std::vector<hid::THidPnPInfo> RecordingPlatform::CollectInterfaces() {
    std::vector<hid::THidPnPInfo> interfaces = recorded_->CollectInterfaces();
    std::set<std::string> instances;
    for (const hid::THidPnPInfo& interface : interfaces)
        instances.insert(interface.DeviceInstance);
    {
        std::lock_guard lock(mutex_);
        for (auto it = present_.begin(); it != present_.end();) {
            if (instances.count(it->first)) {
                ++it;
                continue;
            }
            log_->Write(RecordedUnplug{it->second});
            it = present_.erase(it);
        }
    }
    for (const hid::THidPnPInfo& interface : interfaces)
        DeviceOf(interface);
    return interfaces;
}

int RecordingPlatform::DeviceOf(const hid::THidPnPInfo& interface) {
    std::lock_guard lock(mutex_);
    if (auto it = present_.find(interface.DeviceInstance); it != present_.end())
        return it->second;
    const int device = nextDevice_++;
    present_[interface.DeviceInstance] = device;
    log_->Write(Identify(interface, device));
    return device;
}

// What the controller's scan will read: a query-only open of our own, so that the identity is recorded
// whatever the scan asks.
RecordedPlug RecordingPlatform::Identify(const hid::THidPnPInfo& interface, int device) {
    RecordedPlug plug{device, interface.DeviceInstance, std::nullopt, "", std::nullopt};
    std::unique_ptr<hid::HidHandle> handle = recorded_->Open(interface, hid::HidAccess::QueryOnly);
    if (!handle) {
        plug.openError = errno;
        return plug;
    }
    hid::HidAttributes attributes;
    if (handle->GetAttributes(attributes))
        plug.attributes = attributes;
    if (!handle->GetSerialNumberString(plug.serial))
        plug.serial.clear();
    return plug;
}

std::unique_ptr<hid::HidHandle> RecordingPlatform::Open(const hid::THidPnPInfo& wanted,
                                                        hid::HidAccess access) {
    const int device = DeviceOf(wanted);
    std::unique_ptr<hid::HidHandle> handle = recorded_->Open(wanted, access);
    if (!handle) {
        const int error = errno;
        if (access == hid::HidAccess::ReadWrite)
            log_->Write(RecordedRefusal{device, error});
        errno = error;
        return nullptr;
    }
    return std::make_unique<RecordingHandle>(std::move(handle), device, log_);
}

} // namespace miran::sim
