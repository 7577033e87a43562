#pragma once

#include <memory>
#include <string>

namespace miran::settings {

// Cross-process lock shared by every storage bound to the same file, named by the Base64 text of
// "TCustomAppStorage.Synchronize:" and the file path: a named mutex on Windows, an advisory lock on a
// file of that name in the temporary folder elsewhere.
class TNamedLock {
public:
    // Waits as long as needed; throws EAppStorageError "...: Mutex Timeout" when the lock cannot be taken.
    explicit TNamedLock(const std::string& resolvedFileName);
    ~TNamedLock();
    TNamedLock(const TNamedLock&) = delete;
    TNamedLock& operator=(const TNamedLock&) = delete;

    static std::string LockName(const std::string& resolvedFileName);
    // Where the lock is taken: the mutex's name, or the path of the lock file.
    static std::string LockFileName(const std::string& resolvedFileName);

private:
    struct THeld;
    std::unique_ptr<THeld> held_;
};

} // namespace miran::settings
