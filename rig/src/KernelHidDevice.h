#pragma once

#include "EventLog.h"
#include "ReportDescriptor.h"
#include "UhidDevice.h"
#include "hid/VirtualHidPlatform.h"

#include <chrono>
#include <memory>
#include <optional>

namespace miran::rig {

// A virtual endpoint as a kernel HID device: the kernel's GET_REPORT and SET_REPORT requests for its feature
// reports reach the endpoint with the whole report (ID first) and are answered exactly as the endpoint
// answers. It can be plugged, unplugged, vanish in the middle of a request and reboot. Each device runs on a
// thread of its own, as real devices answer independently: destroying one blocks in the kernel until the
// requests in flight for the others are answered.
class KernelHidDevice {
public:
    using Clock = std::chrono::steady_clock;

    // Without an endpoint every request fails, as for a device that is none of ours.
    KernelHidDevice(UhidIdentity identity, std::vector<FeatureReport> reports,
                    std::shared_ptr<hid::VirtualHidEndpoint> endpoint, EventLog& log);

    void PlugAt(Clock::time_point when) { plugDue_ = when; }
    // Plugs, unplugs and answers the kernel until stopFd becomes readable; then unplugs.
    void Run(int stopFd);

    // For the endpoint, during a request: the device is gone and the request stays unanswered.
    void Vanish() { vanishing_ = true; }
    // For the endpoint, during a request: once it is answered the device leaves and is back after this time.
    void Reboot(std::chrono::milliseconds time) { rebootTime_ = time; }

private:
    void Plug();
    void Unplug();
    void ApplyDueChanges();
    int PollTimeout() const;
    // -1 while unplugged; readable when the kernel has a request.
    int Fd() const { return device_ ? device_->Fd() : -1; }
    // Takes one request from the kernel and answers it.
    void Serve();
    std::size_t LengthOf(std::uint8_t reportId) const;
    void ServeGet(const uhid_get_report_req& request);
    void ServeSet(const uhid_set_report_req& request);
    void AfterRequest();

    UhidIdentity identity_;
    std::vector<FeatureReport> reports_;
    std::shared_ptr<hid::VirtualHidEndpoint> endpoint_;
    EventLog& log_;
    std::unique_ptr<UhidDevice> device_;
    std::optional<Clock::time_point> plugDue_;
    std::optional<Clock::time_point> unplugDue_;
    bool vanishing_ = false;
    std::optional<std::chrono::milliseconds> rebootTime_;
};

} // namespace miran::rig
