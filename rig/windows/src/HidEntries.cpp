// The HID class entry points the HID backend calls, over the bus. hid.dll forwards them here.
#include "HidBus.h"

#include <algorithm>
#include <cstring>

namespace {

using miran::rig::BusInterface;
using miran::rig::HidBus;

constexpr GUID kHidInterfaceClass = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
// The language list, string descriptor 0: US English.
constexpr WCHAR kLanguages[] = {0x0409, 0};

// What HidD_GetPreparsedData hands out.
struct PreparsedData {
    static constexpr std::uint32_t kMagic = 0x50524550;
    std::uint32_t magic = kMagic;
    HIDP_CAPS caps;
};

BOOLEAN Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// The device behind the handle; an error like a removed device's when it has gone.
std::optional<BusInterface> Resolve(HANDLE handle) {
    std::optional<BusInterface> device = HidBus::Instance().Resolve(handle);
    if (!device)
        SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return device;
}

// One feature report in either direction, answered by the programmer; a stall fails as on Windows.
template <class Move> BOOLEAN Transfer(HANDLE handle, const Move& move) {
    std::optional<BusInterface> device = Resolve(handle);
    if (!device)
        return FALSE;
    if (!device->programmer)
        return Fail(ERROR_GEN_FAILURE);
    if (!device->readWriteAllowed)
        return Fail(ERROR_ACCESS_DENIED);
    bool moved;
    {
        std::lock_guard lock(*device->transfers);
        moved = move(*device->programmer);
    }
    if (moved)
        return TRUE;
    return Fail(HidBus::Instance().Resolve(handle) ? ERROR_GEN_FAILURE : ERROR_DEVICE_NOT_CONNECTED);
}

// A string into the caller's buffer, cut where the buffer ends.
BOOLEAN CopyString(const WCHAR* text, std::size_t units, PVOID buffer, ULONG length) {
    std::memcpy(buffer, text, std::min<std::size_t>(units * sizeof(WCHAR), length));
    return TRUE;
}

} // namespace

void NTAPI HidD_GetHidGuid(LPGUID guid) {
    *guid = kHidInterfaceClass;
}

BOOLEAN NTAPI HidD_GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
    std::optional<BusInterface> device = Resolve(handle);
    if (!device)
        return FALSE;
    *attributes = device->attributes;
    return TRUE;
}

BOOLEAN NTAPI HidD_GetSerialNumberString(HANDLE handle, PVOID buffer, ULONG length) {
    std::optional<BusInterface> device = Resolve(handle);
    if (!device)
        return FALSE;
    if (device->serial.empty())
        return Fail(ERROR_GEN_FAILURE);
    std::wstring serial(device->serial.size() + 1, L'\0');
    const int units = MultiByteToWideChar(CP_UTF8, 0, device->serial.c_str(), -1, serial.data(),
                                          static_cast<int>(serial.size()));
    return CopyString(serial.c_str(), static_cast<std::size_t>(units), buffer, length);
}

BOOLEAN NTAPI HidD_GetIndexedString(HANDLE handle, ULONG index, PVOID buffer, ULONG length) {
    if (!Resolve(handle))
        return FALSE;
    if (index != 0)
        return Fail(ERROR_GEN_FAILURE);
    return CopyString(kLanguages, std::size(kLanguages), buffer, length);
}

BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* data) {
    std::optional<BusInterface> device = Resolve(handle);
    if (!device)
        return FALSE;
    *data = reinterpret_cast<PHIDP_PREPARSED_DATA>(new PreparsedData{PreparsedData::kMagic, device->caps});
    return TRUE;
}

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA data) {
    auto* preparsed = reinterpret_cast<PreparsedData*>(data);
    if (!preparsed || preparsed->magic != PreparsedData::kMagic)
        return Fail(ERROR_INVALID_PARAMETER);
    preparsed->magic = 0;
    delete preparsed;
    return TRUE;
}

NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
    auto* preparsed = reinterpret_cast<PreparsedData*>(data);
    if (!preparsed || preparsed->magic != PreparsedData::kMagic)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *caps = preparsed->caps;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN NTAPI HidD_GetNumInputBuffers(HANDLE handle, PULONG count) {
    if (!Resolve(handle))
        return FALSE;
    *count = HidBus::Instance().InputBuffers(handle);
    return TRUE;
}

BOOLEAN NTAPI HidD_SetNumInputBuffers(HANDLE handle, ULONG count) {
    if (!Resolve(handle))
        return FALSE;
    if (count < 2 || count > 512)
        return Fail(ERROR_INVALID_PARAMETER);
    HidBus::Instance().SetInputBuffers(handle, count);
    return TRUE;
}

BOOLEAN NTAPI HidD_GetFeature(HANDLE handle, PVOID buffer, ULONG length) {
    return Transfer(handle, [&](miran::sim::VirtualProgrammer& programmer) {
        return programmer.GetFeature(static_cast<std::uint8_t*>(buffer), length);
    });
}

BOOLEAN NTAPI HidD_SetFeature(HANDLE handle, PVOID buffer, ULONG length) {
    return Transfer(handle, [&](miran::sim::VirtualProgrammer& programmer) {
        return programmer.SetFeature(static_cast<const std::uint8_t*>(buffer), length);
    });
}
