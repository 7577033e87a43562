#include "WindowsHidPlatform.h"

#include "HidLibrary.h"
#include "SetupApiLibrary.h"
#include "WindowsErrno.h"
#include "WindowsHidHandle.h"
#include "hid/DebugLog.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace miran::hid::windows_backend {

namespace {

static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND && kErrorPathNotFound == ERROR_PATH_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorGenFailure == ERROR_GEN_FAILURE &&
              kErrorSharingViolation == ERROR_SHARING_VIOLATION && kErrorDevNotExist == ERROR_DEV_NOT_EXIST &&
              kErrorDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);

// GUID_DEVINTERFACE_HID, for when HID.dll cannot say it.
constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

constexpr DWORD kTextPropertyBytes = 1024;
constexpr DWORD kListPropertyBytes = 16384;

// A text property of the device node; empty when it cannot be read.
std::string TextProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD code) {
    // One NUL more than the property may fill, so that the text always ends.
    std::vector<char> text(kTextPropertyBytes + 1, '\0');
    SetupApi().SetupDiGetDeviceRegistryPropertyA(
        set, &device, code, nullptr, reinterpret_cast<BYTE*>(text.data()), kTextPropertyBytes, nullptr);
    return text.data();
}

// A string-list property, its strings up to the first empty one joined by spaces.
std::string ListProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD code) {
    std::vector<char> list(kListPropertyBytes + 2, '\0');
    SetupApi().SetupDiGetDeviceRegistryPropertyA(
        set, &device, code, nullptr, reinterpret_cast<BYTE*>(list.data()), kListPropertyBytes, nullptr);
    std::string joined;
    for (const char* item = list.data(); *item != '\0'; item += std::strlen(item) + 1) {
        if (!joined.empty())
            joined += ' ';
        joined += item;
    }
    return joined;
}

// The interface's device instance and path, when its detail record can be read.
std::optional<THidPnPInfo> ReadInterface(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& member) {
    const SetupApiEntries& setup = SetupApi();
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    DWORD size = 0;
    setup.SetupDiGetDeviceInterfaceDetailA(set, &member, nullptr, 0, &size, &device);
    if (size == 0 || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return std::nullopt;
    // DWORDs, so that the record's size field is aligned, and one more, so that the path always ends.
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD) + 1, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!setup.SetupDiGetDeviceInterfaceDetailA(set, &member, detail, size, nullptr, &device))
        return std::nullopt;
    THidPnPInfo info{std::to_string(device.DevInst), detail->DevicePath};
    // Nothing else reads the node's properties: they only say what an interface is when that is asked for.
    if (DebugEnabled())
        DebugLog("interface " + info.DevicePath + ": instance " + info.DeviceInstance + ", \"" +
                 TextProperty(set, device, SPDRP_DEVICEDESC) + "\", hardware IDs " +
                 ListProperty(set, device, SPDRP_HARDWAREID));
    return info;
}

} // namespace

WindowsHidPlatform::WindowsHidPlatform() : hidClass_(kHidInterfaceClass) {
    if (!LoadSetupApi() || !LoadHid()) {
        DebugLog("SetupApi.dll or HID.dll cannot be bound: no devices, no device-change notification");
        return;
    }
    Hid().HidD_GetHidGuid(&hidClass_);
    try {
        window_ = std::make_unique<NotificationWindow>([this](LPARAM parameter) { NodesChanged(parameter); });
    } catch (...) {
        ReleaseSetupApi();
        ReleaseHid();
        throw;
    }
}

WindowsHidPlatform::~WindowsHidPlatform() {
    window_.reset();
    if (HidLoaded())
        ReleaseSetupApi();
    ReleaseHid();
}

bool WindowsHidPlatform::Loaded() const {
    return HidLoaded();
}

std::vector<THidPnPInfo> WindowsHidPlatform::CollectInterfaces() {
    std::vector<THidPnPInfo> found;
    if (!Loaded())
        return found;
    const SetupApiEntries& setup = SetupApi();
    HDEVINFO set =
        setup.SetupDiGetClassDevsA(&hidClass_, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return found;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA member{};
        member.cbSize = sizeof member;
        if (!setup.SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass_, index, &member))
            break;
        if (std::optional<THidPnPInfo> info = ReadInterface(set, member))
            found.push_back(std::move(*info));
    }
    setup.SetupDiDestroyDeviceInfoList(set);
    return found;
}

std::unique_ptr<HidHandle> WindowsHidPlatform::Open(const THidPnPInfo& wanted, HidAccess access) {
    if (!Loaded()) {
        SetLastError(ERROR_DEV_NOT_EXIST);
        errno = ENODEV;
        return nullptr;
    }
    const DWORD desired = access == HidAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE
                          : access == HidAccess::Read    ? GENERIC_READ
                                                         : 0;
    const DWORD flags = access == HidAccess::Read ? FILE_FLAG_OVERLAPPED : 0;
    HANDLE handle = CreateFileA(wanted.DevicePath.c_str(), desired, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = ErrnoOfWindowsError(error);
        SetLastError(error);
        return nullptr;
    }
    if (DebugEnabled()) {
        ULONG buffers = 0;
        if (Hid().HidD_GetNumInputBuffers(handle, &buffers))
            DebugLog("open " + wanted.DevicePath + ": " + std::to_string(buffers) + " input buffers");
    }
    return std::make_unique<WindowsHidHandle>(handle);
}

void WindowsHidPlatform::PostNotification() {
    if (window_)
        window_->Post(-1);
}

std::optional<long> WindowsHidPlatform::TakeNotification() {
    return std::exchange(notification_, std::nullopt);
}

void WindowsHidPlatform::NodesChanged(LPARAM parameter) {
    notification_ = static_cast<long>(parameter);
    if (pending_)
        pending_();
}

} // namespace miran::hid::windows_backend
