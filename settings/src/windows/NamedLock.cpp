#include "NamedLock.h"

#include "settings/StorageErrors.h"

#include <windows.h>

namespace miran::settings {

struct TNamedLock::THeld {
    HANDLE mutex = nullptr;
};

std::string TNamedLock::LockFileName(const std::string& resolvedFileName) {
    return LockName(resolvedFileName);
}

TNamedLock::TNamedLock(const std::string& resolvedFileName) : held_(std::make_unique<THeld>()) {
    held_->mutex = ::CreateMutexA(nullptr, FALSE, LockFileName(resolvedFileName).c_str());
    // An abandoned mutex is ours all the same: its holder died, and a flush never leaves half a file.
    const auto waited = held_->mutex == nullptr ? WAIT_FAILED : ::WaitForSingleObject(held_->mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        if (held_->mutex != nullptr)
            ::CloseHandle(held_->mutex);
        throw EAppStorageError("TCustomAppStorage.Synchronize:" + resolvedFileName + ": Mutex Timeout");
    }
}

TNamedLock::~TNamedLock() {
    ::ReleaseMutex(held_->mutex);
    ::CloseHandle(held_->mutex);
}

} // namespace miran::settings
