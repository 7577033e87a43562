#pragma once

#include "hid/HidEvent.h"
#include "hid/HidPlatform.h"
#include "hid/MainThreadSync.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace miran::hid {

class THidDevice;
class THidDeviceController;
class THidDeviceReadThread;

using THidPlugEvent = HidEvent<void(THidDevice& HidDev)>;
using THidDataEvent =
    HidEvent<void(THidDevice& HidDev, std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size)>;
using THidDataErrorEvent = HidEvent<void(THidDevice& HidDev, std::uint32_t Error)>;

inline constexpr int kDefaultSleepTime = 100;
inline constexpr int kMinSleepTime = 10;
inline constexpr int kMaxSleepTime = 10000;

// One HID interface found by the controller. The controller creates and owns it; an application borrows it
// with AcquireDeviceAt and gives it back with ReleaseDevice. Handles are opened only while the device is
// accessible: attached, and either acquired or inside one of the controller's per-device events.
class THidDevice {
public:
    // Raises EControllerError when the interface cannot be opened at all or its attributes cannot be read.
    THidDevice(THidPnPInfo info, std::shared_ptr<HidPlatform> platform, THidDeviceController* controller);
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
    // Whether the interface was last opened for reading and writing (else query only).
    bool ReadWriteAccess() const { return readWriteAccess_; }
    // The system's error code of that read-write open when it failed, else 0.
    int ReadWriteError() const { return readWriteError_; }
    bool Accessible() const { return attached_ && (acquired_ || inHandler_); }

    // Cached once read; empty when not accessible or the device has no usable serial string.
    std::string SerialNumber();

    bool Open();
    void Close();
    bool IsOpen() const { return mainHandle_ != nullptr; }

    bool GetFeature(std::uint8_t* buffer, std::size_t length);
    bool SetFeature(const std::uint8_t* buffer, std::size_t length);
    // Input report length including the report ID byte; read once, 0 while it cannot be read.
    std::uint16_t InputReportLength();

    int SleepTime() const { return sleepTime_; }
    // Ignores values outside 10..10000 ms.
    void SetSleepTime(int milliseconds);
    const THidDataEvent& DataHandler() const { return dataHandler_; }
    // An empty handler stops the read thread; a set one starts it when the device is held.
    void SetDataHandler(THidDataEvent handler);
    const THidDataErrorEvent& DataErrorHandler() const { return dataErrorHandler_; }
    void SetDataErrorHandler(THidDataErrorEvent handler) { dataErrorHandler_ = std::move(handler); }
    const THidPlugEvent& UnplugHandler() const { return unplugHandler_; }
    void SetUnplugHandler(THidPlugEvent handler) { unplugHandler_ = std::move(handler); }
    bool ReadThreadRunning() const { return readThread_ != nullptr; }

    // Called by the controller when the interface has gone. False when the unplug handler freed the device.
    bool HandleUnplug();

private:
    friend class THidDeviceController;
    friend class THidDeviceReadThread;

    // Opens read/write, falling back to query-only access; records which one worked.
    std::unique_ptr<HidHandle> OpenHandle();
    void StartReadThread();
    void StopReadThread();
    // On the main thread, for the read thread.
    void DeliverReport(const std::uint8_t* report, std::size_t bytes);
    void DeliverError(std::uint32_t error);
    void RunDelivery(const std::function<void()>& call);

    THidDeviceController* controller_;
    std::shared_ptr<HidPlatform> platform_;
    std::shared_ptr<MainThreadSync> sync_;
    THidPnPInfo info_;
    HidAttributes attributes_;
    std::unique_ptr<HidHandle> mainHandle_;
    std::string serialCache_;
    std::uint16_t inputReportLength_ = 0;
    bool attached_ = true;
    bool acquired_ = false;
    bool inHandler_ = false;
    bool readWriteAccess_ = false;
    int readWriteError_ = 0;
    std::atomic<int> sleepTime_ = kDefaultSleepTime;
    THidDataEvent dataHandler_;
    THidDataErrorEvent dataErrorHandler_;
    THidPlugEvent unplugHandler_;
    std::unique_ptr<THidDeviceReadThread> readThread_;
    bool delivering_ = false; // inside a read thread's delivery
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true); // expires with the object
};

} // namespace miran::hid
