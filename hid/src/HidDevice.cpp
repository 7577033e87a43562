#include "hid/HidDevice.h"

#include "HidDeviceReadThread.h"
#include "hid/ControllerError.h"
#include "hid/DebugLog.h"
#include "hid/HidDeviceController.h"

#include <algorithm>
#include <cerrno>

namespace miran::hid {

namespace {
constexpr std::size_t kMaxSerialLength = 254;
} // namespace

THidDevice::THidDevice(THidPnPInfo info, std::shared_ptr<HidPlatform> platform,
                       THidDeviceController* controller)
    : controller_(controller), platform_(std::move(platform)),
      sync_(controller ? controller->sync_ : std::make_shared<MainThreadSync>(nullptr)),
      info_(std::move(info)) {
    if (controller) {
        // A device found after the controller's settings changed starts with them too.
        SetSleepTime(controller->DevThreadSleepTime());
        dataErrorHandler_ = controller->OnDeviceDataError();
        unplugHandler_ = controller->OnDeviceUnplug();
        SetDataHandler(controller->OnDeviceData());
    }
    std::unique_ptr<HidHandle> handle = OpenHandle();
    if (!handle)
        throw EControllerError(kDeviceCannotBeOpened);
    if (!handle->GetAttributes(attributes_))
        throw EControllerError(kDeviceCannotBeIdentified);
    // The handle is not kept: it is opened again while the device is accessible.
}

THidDevice::~THidDevice() {
    THidDataEvent dataHandler = dataHandler_;
    THidPlugEvent unplugHandler = unplugHandler_;
    SetDataHandler({});
    unplugHandler_ = {};
    Close();
    if (controller_)
        controller_->DeviceDestroyed(this, std::move(dataHandler), std::move(unplugHandler));
}

std::unique_ptr<HidHandle> THidDevice::OpenHandle() {
    std::unique_ptr<HidHandle> handle = platform_->Open(info_, HidAccess::ReadWrite);
    readWriteAccess_ = handle != nullptr;
    readWriteError_ = handle ? 0 : errno;
    if (handle)
        return handle;
    DebugLog("open " + info_.DevicePath + " for reading and writing: " + ErrnoText(readWriteError_));
    handle = platform_->Open(info_, HidAccess::QueryOnly);
    if (!handle)
        DebugLog("open " + info_.DevicePath + " for queries: " + ErrnoText(errno));
    return handle;
}

bool THidDevice::Open() {
    if (Accessible() && !mainHandle_)
        mainHandle_ = OpenHandle();
    return mainHandle_ != nullptr;
}

void THidDevice::Close() {
    mainHandle_.reset();
}

bool THidDevice::GetFeature(std::uint8_t* buffer, std::size_t length) {
    return Open() && mainHandle_->GetFeature(buffer, length);
}

bool THidDevice::SetFeature(const std::uint8_t* buffer, std::size_t length) {
    return Open() && mainHandle_->SetFeature(buffer, length);
}

std::string THidDevice::SerialNumber() {
    if (!serialCache_.empty())
        return serialCache_;
    if (!Open())
        return serialCache_;
    std::string serial;
    if (mainHandle_->GetSerialNumberString(serial))
        serialCache_ = serial.substr(0, std::min(serial.find('\0'), kMaxSerialLength));
    Close();
    return serialCache_;
}

std::uint16_t THidDevice::InputReportLength() {
    if (inputReportLength_ == 0 && Open()) {
        inputReportLength_ = mainHandle_->InputReportLength();
        Close();
    }
    return inputReportLength_;
}

void THidDevice::SetSleepTime(int milliseconds) {
    if (milliseconds >= kMinSleepTime && milliseconds <= kMaxSleepTime)
        sleepTime_ = milliseconds;
}

void THidDevice::SetDataHandler(THidDataEvent handler) {
    if (!handler)
        StopReadThread();
    dataHandler_ = std::move(handler);
    StartReadThread();
}

void THidDevice::StartReadThread() {
    if (!dataHandler_ || !attached_ || !acquired_ || !readWriteAccess_ || readThread_)
        return;
    readThread_ = std::make_unique<THidDeviceReadThread>(*this, InputReportLength());
}

void THidDevice::StopReadThread() {
    if (delivering_ && readThread_)
        readThread_.release()->Abandon();
    readThread_.reset();
}

void THidDevice::RunDelivery(const std::function<void()>& call) {
    std::weak_ptr<const bool> alive = alive_;
    delivering_ = true;
    try {
        call();
    } catch (...) {
        if (!alive.expired())
            delivering_ = false;
        throw;
    }
    // The handler may have freed the device (released after it had gone).
    if (!alive.expired())
        delivering_ = false;
}

void THidDevice::DeliverReport(const std::uint8_t* report, std::size_t bytes) {
    if (THidDataEvent handler = dataHandler_)
        RunDelivery([&] { handler(*this, report[0], report + 1, static_cast<std::uint16_t>(bytes - 1)); });
}

void THidDevice::DeliverError(std::uint32_t error) {
    if (THidDataErrorEvent handler = dataErrorHandler_)
        RunDelivery([&] { handler(*this, error); });
}

bool THidDevice::HandleUnplug() {
    StopReadThread();
    Close();
    attached_ = false;
    if (!unplugHandler_)
        return true;
    // The handler may give the device back, which frees it (and its copy of the handler) when it has gone.
    THidPlugEvent handler = unplugHandler_;
    std::weak_ptr<const bool> alive = alive_;
    handler(*this);
    if (alive.expired())
        return false;
    unplugHandler_ = {};
    return true;
}

} // namespace miran::hid
