#include "LibraryBinding.h"

namespace miran::hid::windows_backend {

HMODULE LoadLibraryQuietly(const char* name) {
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(name);
    SetErrorMode(previous);
    return module;
}

} // namespace miran::hid::windows_backend
