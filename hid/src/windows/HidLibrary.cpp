#include "HidLibrary.h"

#include "LibraryBinding.h"

#include <mutex>

namespace miran::hid::windows_backend {

namespace {

std::mutex mutex;
HMODULE module = nullptr;
HidEntries entries;

} // namespace

bool LoadHid() {
    std::lock_guard lock(mutex);
    return module || LoadAndBind("HID.dll", module, entries);
}

void ReleaseHid() {
    std::lock_guard lock(mutex);
    FreeBound(module, entries);
}

bool HidLoaded() {
    std::lock_guard lock(mutex);
    return module != nullptr;
}

const HidEntries& Hid() {
    return entries;
}

} // namespace miran::hid::windows_backend
