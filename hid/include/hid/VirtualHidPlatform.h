#pragma once

#include "hid/HidPlatform.h"

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace miran::hid {

class NotificationSignal;

// The device's side of a virtual interface.
class VirtualHidEndpoint {
public:
    virtual ~VirtualHidEndpoint() = default;
    virtual bool GetFeature(std::uint8_t* buffer, std::size_t length) = 0;
    virtual bool SetFeature(const std::uint8_t* buffer, std::size_t length) = 0;
};

struct VirtualInterface {
    HidAttributes attributes;
    std::string serial; // empty: the interface reports no serial string
    std::shared_ptr<VirtualHidEndpoint> endpoint;
    std::uint16_t inputReportLength = 0; // report ID byte included; 0: no input reports
    std::string instance;                // empty: a new DeviceInstance for every plug
    bool readWriteAllowed = true; // false: like a node the user may not open, which moves no report at all
    int readWriteError = EACCES;  // what a refused read-write open reports
    bool queryAllowed = true;     // false with readWriteAllowed false: the interface cannot be opened at all
    bool attributesReadable = true; // false: the interface cannot be identified
};

// In-process HID interfaces for the demo mode and the tests. Plugging and unplugging raise notifications
// the way the system's backend does: through a descriptor on Linux, through the main thread's message queue
// on Windows. Safe to use from several threads.
class VirtualHidPlatform : public HidPlatform {
public:
    VirtualHidPlatform(); // throws std::system_error when the system refuses the notification signal
    ~VirtualHidPlatform() override;

    // Returns the interface's id (its path is PathOf(id)).
    int Plug(VirtualInterface interface);
    void Unplug(int id);
    bool IsPlugged(int id) const;
    // Queues an input report (report ID first) for the readers of the interface.
    void SendInputReport(int id, std::vector<std::uint8_t> report);
    // Number of notifications raised so far.
    int NotificationCount() const;
    // Number of Open calls that reached an interface, for checking that no platform call was made.
    int OpenCount() const;

    bool Loaded() const override { return true; }
    std::vector<THidPnPInfo> CollectInterfaces() override;
    std::unique_ptr<HidHandle> Open(const THidPnPInfo& interface, HidAccess access) override;
    int NotificationFd() const override;
    void SetNotificationCallback(std::function<void()> pending) override;
    void PostNotification() override;
    std::optional<long> TakeNotification() override;

    static std::string PathOf(int id);

private:
    struct Plugged;

    void Notify();

    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<Plugged>> interfaces_;
    int nextId_ = 0;
    std::unique_ptr<NotificationSignal> signal_;
    bool posted_ = false;
    int notifications_ = 0;
    int opens_ = 0;
};

} // namespace miran::hid
