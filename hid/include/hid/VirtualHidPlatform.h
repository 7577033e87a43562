#pragma once

#include "hid/HidPlatform.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace miran::hid {

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
    bool readWriteAllowed = true;   // false: like a node the user may not open for reading and writing
    bool queryAllowed = true;       // false with readWriteAllowed false: the interface cannot be opened at all
    bool attributesReadable = true; // false: the interface cannot be identified
};

// In-process HID interfaces for the demo mode and the tests. Plugging and unplugging raise notifications
// through the same descriptor path as a real backend. Safe to use from several threads.
class VirtualHidPlatform : public HidPlatform {
public:
    VirtualHidPlatform();
    ~VirtualHidPlatform() override;

    // Returns the interface's id; every plug gets a new id and so a new DeviceInstance.
    int Plug(VirtualInterface interface);
    void Unplug(int id);
    bool IsPlugged(int id) const;
    // Number of notifications raised so far.
    int NotificationCount() const;

    bool Loaded() const override { return true; }
    std::vector<THidPnPInfo> CollectInterfaces() override;
    std::unique_ptr<HidHandle> Open(const std::string& devicePath, HidAccess access) override;
    int NotificationFd() const override { return eventFd_; }
    void PostNotification() override;
    std::optional<long> TakeNotification() override;

    static std::string PathOf(int id);

private:
    struct Plugged;

    void Notify();
    void Signal();

    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<Plugged>> interfaces_;
    int nextId_ = 0;
    int eventFd_ = -1;
    bool posted_ = false;
    int notifications_ = 0;
};

} // namespace miran::hid
