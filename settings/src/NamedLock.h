#pragma once

#include "core/UniqueFd.h"

#include <string>

namespace miran::settings {

// Cross-process lock shared by every storage bound to the same file: an advisory lock on a file in the
// temporary folder named by the Base64 text of "TCustomAppStorage.Synchronize:" and the file path.
class TNamedLock {
public:
    // Waits as long as needed; throws EAppStorageError "...: Mutex Timeout" when the lock cannot be taken.
    explicit TNamedLock(const std::string& resolvedFileName);
    ~TNamedLock();
    TNamedLock(const TNamedLock&) = delete;
    TNamedLock& operator=(const TNamedLock&) = delete;

    static std::string LockFileName(const std::string& resolvedFileName);

private:
    UniqueFd fd_;
};

} // namespace miran::settings
