#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace miran::hid {

// Identity of one HID interface as a scan finds it.
struct THidPnPInfo {
    // Stays the same while the interface stays plugged, changes when it is plugged again.
    std::string DeviceInstance;
    // The name under which the interface is opened.
    std::string DevicePath;
};

struct HidAttributes {
    std::uint16_t VendorID = 0;
    std::uint16_t ProductID = 0;
    std::uint16_t VersionNumber = 0;
};

enum class HidAccess {
    ReadWrite, // full access: feature and input reports
    QueryOnly, // enough to read the attributes and strings; transfers may be refused
    Read,      // input reports only
};

// Outcome of waiting for one input report.
struct HidInputRead {
    enum class Status { Report, Timeout, Error };
    Status status = Status::Timeout;
    std::size_t bytes = 0;   // Report: bytes stored, report ID byte included
    std::uint32_t error = 0; // Error: the platform's error code
};

// An open handle on one interface. Every operation reports failure by its result.
class HidHandle {
public:
    virtual ~HidHandle() = default;

    virtual bool GetAttributes(HidAttributes& attributes) = 0;
    // Byte 0 of the buffer is the report ID; length counts the whole buffer. The reply fills it in place.
    virtual bool GetFeature(std::uint8_t* buffer, std::size_t length) = 0;
    virtual bool SetFeature(const std::uint8_t* buffer, std::size_t length) = 0;
    // The interface's serial-number string; false when it has none that can be used.
    virtual bool GetSerialNumberString(std::string& serial) = 0;
    // Length of the interface's input reports including the report ID byte (0 when it has none).
    virtual std::uint16_t InputReportLength() = 0;
    // Waits up to `wait` for one input report. Byte 0 receives the report ID (0 for an interface without
    // numbered reports), the report's data follows.
    virtual HidInputRead ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                         std::chrono::milliseconds wait) = 0;
};

// The table of operations a platform backend provides. The controller and the device objects reach the
// system only through it, and only from the main thread, except Open with HidAccess::Read, which a read
// thread may call.
//
//   Loaded            whether the platform's HID access is available at all; when false the backend is
//                     silent: no interfaces, no notifications.
//   CollectInterfaces the HID interfaces present now, in discovery order.
//   Open              opens an interface by its path; nullptr, with errno set, when it cannot be reached at
//                     all. Where paths are reused, a path that now leads to another interface counts as
//                     gone (ENODEV). QueryOnly succeeds for every interface the last collection found, even
//                     where the user may not open the node, so that a scan never fails for lack of
//                     permission.
//   NotificationFd    a descriptor that becomes readable when a notification is pending (-1: none ever).
//   SetNotificationCallback
//                     for backends that receive notifications on the main thread by themselves (a hidden
//                     window's procedure): they call it when one is pending, instead of offering a
//                     descriptor. The controller sets it for its lifetime; others ignore it.
//   PostNotification  queues the controller's own first notification (parameter -1).
//   TakeNotification  consumes what is pending: the parameter of a device-node change notification, -1 when
//                     the posted one is among them, nothing when only unrelated events were pending.
class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    virtual bool Loaded() const = 0;
    virtual std::vector<THidPnPInfo> CollectInterfaces() = 0;
    virtual std::unique_ptr<HidHandle> Open(const THidPnPInfo& wanted, HidAccess access) = 0;
    virtual int NotificationFd() const = 0;
    virtual void SetNotificationCallback(std::function<void()> /*pending*/) {}
    virtual void PostNotification() = 0;
    virtual std::optional<long> TakeNotification() = 0;
};

} // namespace miran::hid
