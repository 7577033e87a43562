#include "DeviceSession.h"

#include "Failure.h"
#include "OpenDiagnosis.h"
#include "cli/Cli.h"
#include "update/Protocol.h"

namespace miran::cli {

DeviceSession::DeviceSession(std::shared_ptr<hid::HidPlatform> platform, const Interruption& interruption)
    : platform_(std::move(platform)), loop_(interruption),
      controller_(platform_, {.OnDeviceChange = hid::TNotifyEvent([this] { Rebuild(); })},
                  [this](std::function<void()> call) { loop_.Post(std::move(call)); }) {}

DeviceSession::~DeviceSession() {
    ReleaseAll();
}

void DeviceSession::ReleaseAll() {
    for (hid::THidDevice*& device : programmers_)
        controller_.ReleaseDevice(device);
    programmers_.clear();
}

void DeviceSession::Rebuild() {
    ReleaseAll();
    controller_.SetOnEnumerate(hid::THidEnumerateEvent([this](hid::THidDevice& device, int index) {
        // A node that has gone is no matching programmer; the scan that follows its removal drops it.
        if (device.VendorID() == update::kProgrammerVendorId &&
            device.ProductID() == update::kProgrammerProductId &&
            ReadWriteProblem(device) != OpenProblem::Gone) {
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

void DeviceSession::WaitFirstScan() {
    if (!Available())
        return; // the silent state: nothing is ever attached
    WaitForChange(std::chrono::steady_clock::now() + std::chrono::seconds(5));
}

bool DeviceSession::WaitForChange(std::chrono::steady_clock::time_point deadline) {
    changed_ = false;
    while (!changed_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        loop_.Dispatch(controller_, left);
    }
    return true;
}

bool DeviceSession::WaitUntil(const std::function<bool()>& found,
                              std::chrono::steady_clock::time_point deadline) {
    if (!Available())
        return found();
    while (!found()) {
        if (!WaitForChange(deadline))
            return found();
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
