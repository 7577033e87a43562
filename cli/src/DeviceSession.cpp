#include "DeviceSession.h"

#include "Failure.h"
#include "OpenDiagnosis.h"
#include "cli/Cli.h"
#include "update/Protocol.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace miran::cli {

DeviceSession::DeviceSession(std::shared_ptr<hid::HidPlatform> platform, int interruptFd)
    : platform_(std::move(platform)), interruptFd_(interruptFd),
      postedFd_(CheckedFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd")),
      controller_(platform_, {.OnDeviceChange = hid::TNotifyEvent([this] { Rebuild(); })},
                  [this](std::function<void()> call) { Post(std::move(call)); }) {}

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

void DeviceSession::Post(std::function<void()> call) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(call));
    }
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(postedFd_.Get(), &one, sizeof one);
}

void DeviceSession::RunPosted() {
    std::uint64_t count;
    [[maybe_unused]] ssize_t got = read(postedFd_.Get(), &count, sizeof count);
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(postedMutex_);
            if (posted_.empty())
                return;
            call = std::move(posted_.front());
            posted_.pop_front();
        }
        call();
    }
}

bool DeviceSession::Dispatch(std::chrono::milliseconds timeout) {
    pollfd fds[3] = {
        {interruptFd_, POLLIN, 0}, {postedFd_.Get(), POLLIN, 0}, {controller_.NotificationFd(), POLLIN, 0}};
    const nfds_t count = fds[2].fd < 0 ? 2 : 3;
    // A signal that arrives meanwhile makes poll fail with EINTR; the next round sees its descriptor.
    if (poll(fds, count, static_cast<int>(timeout.count())) <= 0)
        return false;
    if (fds[0].revents & POLLIN)
        throw Failure{kExitInterrupted, "Interrupted"};
    if (fds[1].revents & POLLIN)
        RunPosted();
    if (count == 3 && (fds[2].revents & POLLIN))
        controller_.HandleNotification();
    return true;
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
        Dispatch(left);
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
