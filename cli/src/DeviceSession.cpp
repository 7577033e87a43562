#include "DeviceSession.h"

#include <poll.h>

namespace miran::cli {

namespace {

constexpr std::uint16_t kVendorId = 0x16C0;
constexpr std::uint16_t kProductId = 0x2AA8;

} // namespace

DeviceSession::DeviceSession(std::shared_ptr<hid::HidPlatform> platform)
    : platform_(std::move(platform)),
      controller_(platform_, {.OnEnumerate = {},
                              .OnDeviceChange = hid::TNotifyEvent([this] { Rebuild(); }),
                              .OnArrival = {},
                              .OnRemoval = {}}) {}

DeviceSession::~DeviceSession() { ReleaseAll(); }

void DeviceSession::ReleaseAll() {
    for (hid::THidDevice*& device : programmers_)
        controller_.ReleaseDevice(device);
    programmers_.clear();
}

void DeviceSession::Rebuild() {
    ReleaseAll();
    controller_.SetOnEnumerate(hid::THidEnumerateEvent([this](hid::THidDevice& device, int index) {
        if (device.VendorID() == kVendorId && device.ProductID() == kProductId) {
            hid::THidDevice* acquired = nullptr;
            if (controller_.AcquireDeviceAt(acquired, index)) {
                acquired->SerialNumber(); // read while it is accessible, so that it is cached
                programmers_.push_back(acquired);
            }
        }
        return true;
    }));
    controller_.EnumerateDevices();
    changed_ = true;
}

bool DeviceSession::Dispatch(std::chrono::milliseconds timeout) {
    pollfd fd{controller_.NotificationFd(), POLLIN, 0};
    if (fd.fd < 0 || poll(&fd, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    controller_.HandleNotification();
    return true;
}

void DeviceSession::WaitFirstScan() {
    if (!platform_->Loaded())
        return; // the silent state: nothing is ever attached
    changed_ = false;
    WaitForChange(std::chrono::steady_clock::now() + std::chrono::seconds(5));
}

bool DeviceSession::WaitForChange(std::chrono::steady_clock::time_point deadline) {
    changed_ = false;
    while (!changed_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        Dispatch(left);
    }
    return true;
}

hid::THidDevice* DeviceSession::FindBySerial(const std::string& serial) const {
    for (hid::THidDevice* device : programmers_) {
        if (device->SerialNumber() == serial)
            return device;
    }
    return nullptr;
}

} // namespace miran::cli
