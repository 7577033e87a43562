#pragma once

#include "hid/HidPlatform.h"

#include <memory>
#include <string>

namespace miran::hid {

class THidDeviceController;

// One HID interface found by the controller. The controller creates and owns it; an application borrows it
// with AcquireDeviceAt and gives it back with ReleaseDevice. Handles are opened only while the device is
// accessible: attached, and either acquired or inside one of the controller's per-device events.
class THidDevice {
public:
    // Raises EControllerError when the interface cannot be opened at all or its attributes cannot be read.
    THidDevice(THidPnPInfo info, HidPlatform& platform, THidDeviceController* controller);
    // An attached device that sits in its controller's list is replaced there by a fresh object.
    ~THidDevice();

    THidDevice(const THidDevice&) = delete;
    THidDevice& operator=(const THidDevice&) = delete;

    std::uint16_t VendorID() const { return attributes_.VendorID; }
    std::uint16_t ProductID() const { return attributes_.ProductID; }
    std::uint16_t VersionNumber() const { return attributes_.VersionNumber; }
    const THidPnPInfo& PnPInfo() const { return info_; }

    bool Attached() const { return attached_; }
    bool Acquired() const { return acquired_; }
    bool InHandler() const { return inHandler_; }
    bool ReadWriteAccess() const { return readWriteAccess_; }
    bool Accessible() const { return attached_ && (acquired_ || inHandler_); }

    // Cached once read; empty when not accessible or the device has no usable serial string.
    std::string SerialNumber();

    bool Open();
    void Close();
    bool IsOpen() const { return mainHandle_ != nullptr; }

    bool GetFeature(std::uint8_t* buffer, std::size_t length);
    bool SetFeature(const std::uint8_t* buffer, std::size_t length);

    // Called by the controller when the interface has gone.
    void HandleUnplug();

private:
    friend class THidDeviceController;

    // Opens read/write, falling back to query-only access; records which one worked.
    std::unique_ptr<HidHandle> OpenHandle();

    HidPlatform& platform_;
    THidDeviceController* controller_;
    THidPnPInfo info_;
    HidAttributes attributes_;
    std::unique_ptr<HidHandle> mainHandle_;
    std::string serialCache_;
    bool attached_ = true;
    bool acquired_ = false;
    bool inHandler_ = false;
    bool readWriteAccess_ = false;
};

} // namespace miran::hid
