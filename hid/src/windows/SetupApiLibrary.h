#pragma once

#include <windows.h>

// Needs the types of <windows.h>.
#include <setupapi.h>

namespace miran::hid::windows_backend {

// The device-setup entry points the HID layer calls.
struct SetupApiEntries {
    decltype(&::SetupDiGetClassDevsA) SetupDiGetClassDevsA = nullptr;
    decltype(&::SetupDiEnumDeviceInterfaces) SetupDiEnumDeviceInterfaces = nullptr;
    decltype(&::SetupDiGetDeviceInterfaceDetailA) SetupDiGetDeviceInterfaceDetailA = nullptr;
    decltype(&::SetupDiGetDeviceRegistryPropertyA) SetupDiGetDeviceRegistryPropertyA = nullptr;
    decltype(&::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList = nullptr;

    template <class Visit> void ForEachSlot(Visit& visit) {
        visit(SetupDiGetClassDevsA, "SetupDiGetClassDevsA");
        visit(SetupDiEnumDeviceInterfaces, "SetupDiEnumDeviceInterfaces");
        visit(SetupDiGetDeviceInterfaceDetailA, "SetupDiGetDeviceInterfaceDetailA");
        visit(SetupDiGetDeviceRegistryPropertyA, "SetupDiGetDeviceRegistryPropertyA");
        visit(SetupDiDestroyDeviceInfoList, "SetupDiDestroyDeviceInfoList");
    }
};

// SetupApi.dll, reference-counted: the first load binds it, later ones only count; the last release frees
// it. A load that fails leaves no count.
bool LoadSetupApi();
void ReleaseSetupApi();
// Valid while a load is held.
const SetupApiEntries& SetupApi();

} // namespace miran::hid::windows_backend
