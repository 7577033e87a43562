#pragma once

#include "hid/HidPlatform.h"
#include "sim/Recording.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace miran::sim {

class RecordingLog;

// Passes every call to another backend and writes what it saw to a recording (sim/Recording.h): the
// interfaces that came and went at each collection, refused read-write opens and every feature-report
// transfer. Each line is flushed as it is written, so a crash loses nothing. Safe to use from several
// threads, as the backend it records.
class RecordingPlatform : public hid::HidPlatform {
public:
    // Throws std::runtime_error when the file cannot be written.
    RecordingPlatform(std::shared_ptr<hid::HidPlatform> recorded, const std::string& path);
    ~RecordingPlatform() override;

    bool Loaded() const override { return recorded_->Loaded(); }
    std::vector<hid::THidPnPInfo> CollectInterfaces() override;
    std::unique_ptr<hid::HidHandle> Open(const hid::THidPnPInfo& wanted, hid::HidAccess access) override;
    int NotificationFd() const override { return recorded_->NotificationFd(); }
    void SetNotificationCallback(std::function<void()> pending) override;
    void PostNotification() override { recorded_->PostNotification(); }
    std::optional<long> TakeNotification() override { return recorded_->TakeNotification(); }

private:
    // The device number of an interface, recorded as plugged when it is new.
    int DeviceOf(const hid::THidPnPInfo& interface);
    RecordedPlug Identify(const hid::THidPnPInfo& interface, int device);

    std::shared_ptr<hid::HidPlatform> recorded_;
    std::shared_ptr<RecordingLog> log_; // shared with the open handles
    std::mutex mutex_;
    std::map<std::string, int> present_; // DeviceInstance -> device number
    int nextDevice_ = 0;
};

} // namespace miran::sim
