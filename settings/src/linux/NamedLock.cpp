#include "NamedLock.h"

#include "core/UniqueFd.h"
#include "settings/FileLocation.h"
#include "settings/StorageErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace miran::settings {

struct TNamedLock::THeld {
    UniqueFd fd;
};

std::string TNamedLock::LockFileName(const std::string& resolvedFileName) {
    auto name = LockName(resolvedFileName);
    // "/" cannot be part of a file name.
    for (auto& c : name)
        if (c == '/')
            c = '_';
    return ResolveFileName(name, TFileLocation::flTemp);
}

TNamedLock::TNamedLock(const std::string& resolvedFileName) : held_(std::make_unique<THeld>()) {
    const auto path = LockFileName(resolvedFileName);
    auto& fd = held_->fd;
    fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (fd.Get() < 0)
        fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    int locked = -1;
    while (fd.Get() >= 0 && (locked = ::flock(fd.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0)
        throw EAppStorageError("TCustomAppStorage.Synchronize:" + resolvedFileName + ": Mutex Timeout");
}

TNamedLock::~TNamedLock() {
    ::flock(held_->fd.Get(), LOCK_UN);
}

} // namespace miran::settings
