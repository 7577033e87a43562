#pragma once

#include <windows.h>

// Brings <hidpi.h> after the usage types it needs.
#include <hidsdi.h>

namespace miran::hid::windows_backend {

// The HID class entry points the HID layer calls.
struct HidEntries {
    decltype(&::HidD_GetHidGuid) HidD_GetHidGuid = nullptr;
    decltype(&::HidD_GetAttributes) HidD_GetAttributes = nullptr;
    decltype(&::HidD_GetPreparsedData) HidD_GetPreparsedData = nullptr;
    decltype(&::HidD_FreePreparsedData) HidD_FreePreparsedData = nullptr;
    decltype(&::HidP_GetCaps) HidP_GetCaps = nullptr;
    decltype(&::HidD_GetNumInputBuffers) HidD_GetNumInputBuffers = nullptr;
    decltype(&::HidD_SetNumInputBuffers) HidD_SetNumInputBuffers = nullptr;
    decltype(&::HidD_GetSerialNumberString) HidD_GetSerialNumberString = nullptr;
    decltype(&::HidD_GetIndexedString) HidD_GetIndexedString = nullptr;
    decltype(&::HidD_GetFeature) HidD_GetFeature = nullptr;
    decltype(&::HidD_SetFeature) HidD_SetFeature = nullptr;

    template <class Visit> void ForEachSlot(Visit& visit) {
        visit(HidD_GetHidGuid, "HidD_GetHidGuid");
        visit(HidD_GetAttributes, "HidD_GetAttributes");
        visit(HidD_GetPreparsedData, "HidD_GetPreparsedData");
        visit(HidD_FreePreparsedData, "HidD_FreePreparsedData");
        visit(HidP_GetCaps, "HidP_GetCaps");
        visit(HidD_GetNumInputBuffers, "HidD_GetNumInputBuffers");
        visit(HidD_SetNumInputBuffers, "HidD_SetNumInputBuffers");
        visit(HidD_GetSerialNumberString, "HidD_GetSerialNumberString");
        visit(HidD_GetIndexedString, "HidD_GetIndexedString");
        visit(HidD_GetFeature, "HidD_GetFeature");
        visit(HidD_SetFeature, "HidD_SetFeature");
    }
};

// HID.dll, not counted: a load binds it unless it is held already; a release frees it.
bool LoadHid();
void ReleaseHid();
// Whether HID is held: the one test of whether the platform's HID access works at all.
bool HidLoaded();
// Valid while HID is held.
const HidEntries& Hid();

} // namespace miran::hid::windows_backend
