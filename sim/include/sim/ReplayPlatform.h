#pragma once

#include "hid/VirtualHidPlatform.h"
#include "sim/Recording.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace miran::sim {

// Presents the devices of a recording (sim/Recording.h) and answers each transfer from it: every device's
// transfers in their recorded order, each checked against the recorded one (direction, report ID, length,
// a Set's bytes); the first that differs throws std::runtime_error naming it and the byte, and so does every
// transfer after it. A plug or unplug happens once every transfer recorded before it has been answered, as a
// programmer's reboot follows the status of its closing command. Safe to use from several threads.
class ReplayPlatform : public hid::HidPlatform {
public:
    // Throws std::system_error when the system refuses the notification signal.
    explicit ReplayPlatform(const std::vector<RecordedEvent>& events);
    ~ReplayPlatform() override;

    bool Loaded() const override { return true; }
    std::vector<hid::THidPnPInfo> CollectInterfaces() override { return devices_->CollectInterfaces(); }
    std::unique_ptr<hid::HidHandle> Open(const hid::THidPnPInfo& wanted, hid::HidAccess access) override {
        return devices_->Open(wanted, access);
    }
    int NotificationFd() const override { return devices_->NotificationFd(); }
    void SetNotificationCallback(std::function<void()> pending) override;
    void PostNotification() override { devices_->PostNotification(); }
    std::optional<long> TakeNotification() override { return devices_->TakeNotification(); }

private:
    class Endpoint;
    struct Numbered {
        int number; // counted from 1 through the whole recording
        RecordedTransfer transfer;
    };
    struct BusEvent {
        int after; // transfers recorded before it
        RecordedEvent event;
    };

    // Checks the transfer against the device's next recorded one and answers it (a Get's reply into
    // `reply`).
    bool Answer(int device, const std::uint8_t* sent, std::size_t length, std::uint8_t* reply);
    [[noreturn]] void Diverge(std::string message);
    void ApplyDueBusEvents(); // mutex_ held
    void Plug(const RecordedPlug& plug);

    std::shared_ptr<hid::VirtualHidPlatform> devices_;
    std::mutex mutex_;
    std::map<int, std::deque<Numbered>> transfers_; // by device
    std::vector<BusEvent> busEvents_;
    std::size_t nextBusEvent_ = 0;
    std::map<int, int> refusals_; // device -> errno of its refused read-write open
    std::map<int, int> ids_;      // device -> its id on the virtual backend
    int answered_ = 0;
    std::string mismatch_;
};

} // namespace miran::sim
