// The device-setup entry points the HID backend calls, over the bus. setupapi.dll forwards them here.
#define _SETUPAPI_
#include "HidBus.h"

#include <cstddef>
#include <cstring>
#include <setupapi.h>

namespace {

using miran::rig::BusInterface;
using miran::rig::HidBus;

constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID kHidDeviceClass = {
    0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

// What SetupDiGetClassDevsA hands out: the interfaces present when it was called.
struct DeviceInfoSet {
    static constexpr std::uint32_t kMagic = 0x53494D48;
    std::uint32_t magic = kMagic;
    std::vector<BusInterface> interfaces;
};

DeviceInfoSet* SetOf(HDEVINFO handle) {
    auto* set = static_cast<DeviceInfoSet*>(handle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || set->magic != DeviceInfoSet::kMagic) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return set;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The records carry their member's position in the set, from 1.
const BusInterface* Member(const DeviceInfoSet& set, ULONG_PTR reserved) {
    if (reserved == 0 || reserved > set.interfaces.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return &set.interfaces[reserved - 1];
}

// A property as the device node would hold it: its registry type and bytes.
struct Property {
    DWORD type = REG_NONE;
    std::string bytes;
};

Property PropertyOf(const BusInterface& device, DWORD code) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "HID\\VID_%04X&PID_%04X", device.attributes.VendorID,
                  device.attributes.ProductID);
    switch (code) {
    case SPDRP_DEVICEDESC:
        return {REG_SZ, std::string(device.programmer ? "HID-compliant vendor-defined device"
                                                      : "HID Keyboard Device") +
                            '\0'};
    case SPDRP_HARDWAREID:
        return {REG_MULTI_SZ, std::string(ids) + "&REV_0100" + '\0' + ids + '\0' + '\0'};
    case SPDRP_CLASS:
        return {REG_SZ, std::string("HIDClass") + '\0'};
    case SPDRP_CLASSGUID:
        return {REG_SZ, std::string("{745a17a0-74d3-11d0-b6fe-00a0c90f57da}") + '\0'};
    case SPDRP_MFG:
        return {REG_SZ, std::string("(Standard system devices)") + '\0'};
    default:
        return {};
    }
}

} // namespace

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR /*enumerator*/, HWND /*parent*/,
                                     DWORD flags) {
    auto* set = new DeviceInfoSet;
    if (classGuid && *classGuid == kHidInterfaceClass && (flags & DIGCF_DEVICEINTERFACE))
        set->interfaces = HidBus::Instance().Present();
    return set;
}

WINBOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
    DeviceInfoSet* set = SetOf(handle);
    if (!set)
        return FALSE;
    set->magic = 0;
    delete set;
    return TRUE;
}

WINBOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO handle, PSP_DEVINFO_DATA /*info*/, const GUID* classGuid,
                                           DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
    DeviceInfoSet* set = SetOf(handle);
    if (!set)
        return FALSE;
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (!classGuid || *classGuid != kHidInterfaceClass || index >= set->interfaces.size())
        return Fail(ERROR_NO_MORE_ITEMS);
    data->InterfaceClassGuid = kHidInterfaceClass;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = index + 1;
    return TRUE;
}

WINBOOL WINAPI SetupDiGetDeviceInterfaceDetailA(HDEVINFO handle, PSP_DEVICE_INTERFACE_DATA data,
                                                PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD detailSize,
                                                PDWORD requiredSize, PSP_DEVINFO_DATA info) {
    DeviceInfoSet* set = SetOf(handle);
    if (!set)
        return FALSE;
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ERROR_INVALID_USER_BUFFER);
    const BusInterface* device = Member(*set, data->Reserved);
    if (!device)
        return FALSE;
    if (info) {
        if (info->cbSize != sizeof(SP_DEVINFO_DATA))
            return Fail(ERROR_INVALID_USER_BUFFER);
        info->ClassGuid = kHidDeviceClass;
        info->DevInst = device->devInst;
        info->Reserved = data->Reserved;
    }
    const DWORD needed =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + device->path.size() + 1);
    if (requiredSize)
        *requiredSize = needed;
    if (!detail)
        return Fail(detailSize == 0 ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_USER_BUFFER);
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return Fail(ERROR_INVALID_USER_BUFFER);
    if (detailSize < needed)
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(detail->DevicePath, device->path.c_str(), device->path.size() + 1);
    return TRUE;
}

WINBOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA info, DWORD code,
                                                 PDWORD type, PBYTE buffer, DWORD bufferSize,
                                                 PDWORD requiredSize) {
    DeviceInfoSet* set = SetOf(handle);
    if (!set)
        return FALSE;
    if (!info || info->cbSize != sizeof(SP_DEVINFO_DATA))
        return Fail(ERROR_INVALID_USER_BUFFER);
    const BusInterface* device = Member(*set, info->Reserved);
    if (!device)
        return FALSE;
    const Property property = PropertyOf(*device, code);
    if (property.type == REG_NONE)
        return Fail(ERROR_INVALID_DATA);
    if (type)
        *type = property.type;
    if (requiredSize)
        *requiredSize = static_cast<DWORD>(property.bytes.size());
    if (!buffer || bufferSize < property.bytes.size())
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, property.bytes.data(), property.bytes.size());
    return TRUE;
}
