#include "SetupApiLibrary.h"

#include "LibraryBinding.h"

#include <mutex>

namespace miran::hid::windows_backend {

namespace {

std::mutex mutex;
HMODULE module = nullptr;
int loads = 0;
SetupApiEntries entries;

} // namespace

bool LoadSetupApi() {
    std::lock_guard lock(mutex);
    if (loads == 0 && !LoadAndBind("SetupApi.dll", module, entries))
        return false;
    ++loads;
    return true;
}

void ReleaseSetupApi() {
    std::lock_guard lock(mutex);
    if (loads > 0 && --loads == 0)
        FreeBound(module, entries);
}

const SetupApiEntries& SetupApi() {
    return entries;
}

} // namespace miran::hid::windows_backend
