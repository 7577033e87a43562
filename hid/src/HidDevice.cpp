#include "hid/HidDevice.h"

#include "hid/ControllerError.h"
#include "hid/HidDeviceController.h"

#include <algorithm>

namespace miran::hid {

namespace {
constexpr std::size_t kMaxSerialLength = 254;
} // namespace

THidDevice::THidDevice(THidPnPInfo info, HidPlatform& platform, THidDeviceController* controller)
    : platform_(platform), controller_(controller), info_(std::move(info)) {
    std::unique_ptr<HidHandle> handle = OpenHandle();
    if (!handle)
        throw EControllerError(kDeviceCannotBeOpened);
    if (!handle->GetAttributes(attributes_))
        throw EControllerError(kDeviceCannotBeIdentified);
    // The handle is not kept: it is opened again while the device is accessible.
}

THidDevice::~THidDevice() {
    Close();
    if (controller_)
        controller_->DeviceDestroyed(this);
}

std::unique_ptr<HidHandle> THidDevice::OpenHandle() {
    std::unique_ptr<HidHandle> handle = platform_.Open(info_.DevicePath, HidAccess::ReadWrite);
    readWriteAccess_ = handle != nullptr;
    if (!handle)
        handle = platform_.Open(info_.DevicePath, HidAccess::QueryOnly);
    return handle;
}

bool THidDevice::Open() {
    if (Accessible() && !mainHandle_)
        mainHandle_ = OpenHandle();
    return mainHandle_ != nullptr;
}

void THidDevice::Close() { mainHandle_.reset(); }

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

void THidDevice::HandleUnplug() {
    Close();
    attached_ = false;
}

} // namespace miran::hid
