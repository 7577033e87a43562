#pragma once

#include <windows.h>

namespace miran::hid::windows_backend {

// Loads a library by its bare name without the box the system shows when a file cannot be found.
HMODULE LoadLibraryQuietly(const char* name);

// Fills one slot with the entry point of that name, or clears it; remembers whether any was missing.
class EntryPointBinder {
public:
    explicit EntryPointBinder(HMODULE module) : module_(module) {}

    template <class Function> void operator()(Function& slot, const char* name) {
        FARPROC address = GetProcAddress(module_, name);
        slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
        complete_ = complete_ && address != nullptr;
    }
    bool Complete() const { return complete_; }

private:
    HMODULE module_;
    bool complete_ = true;
};

// Loads the library and binds every slot of `entries` (a table offering ForEachSlot), all or nothing: a
// library that is missing or lacks one entry point is freed again and leaves every slot empty.
template <class Entries> bool LoadAndBind(const char* name, HMODULE& module, Entries& entries) {
    module = LoadLibraryQuietly(name);
    if (!module)
        return false;
    EntryPointBinder binder(module);
    entries.ForEachSlot(binder);
    if (binder.Complete())
        return true;
    FreeLibrary(module);
    module = nullptr;
    entries = Entries{};
    return false;
}

template <class Entries> void FreeBound(HMODULE& module, Entries& entries) {
    entries = Entries{};
    if (module)
        FreeLibrary(module);
    module = nullptr;
}

} // namespace miran::hid::windows_backend
