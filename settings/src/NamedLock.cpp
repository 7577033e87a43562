#include "NamedLock.h"

#include "settings/FileLocation.h"
#include "settings/StorageErrors.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>

namespace miran::settings {

namespace {

constexpr std::string_view kPrefix = "TCustomAppStorage.Synchronize:";

std::string Base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto byte = [&](std::size_t at) {
            return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
        };
        const unsigned group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        const auto present = bytes.size() - i;
        for (std::size_t sextet = 0; sextet < 4; ++sextet)
            text += sextet <= present ? kAlphabet[group >> (18 - 6 * sextet) & 0x3F] : '=';
    }
    return text;
}

} // namespace

std::string TNamedLock::LockFileName(const std::string& resolvedFileName) {
    auto name = Base64(std::string{kPrefix} + resolvedFileName);
    // "/" cannot be part of a file name.
    for (auto& c : name)
        if (c == '/')
            c = '_';
    return ResolveFileName(name, TFileLocation::flTemp);
}

TNamedLock::TNamedLock(const std::string& resolvedFileName) {
    const auto path = LockFileName(resolvedFileName);
    fd_ = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (fd_.Get() < 0)
        fd_ = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    int locked = -1;
    while (fd_.Get() >= 0 && (locked = ::flock(fd_.Get(), LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0)
        throw EAppStorageError(std::string{kPrefix} + resolvedFileName + ": Mutex Timeout");
}

TNamedLock::~TNamedLock() {
    ::flock(fd_.Get(), LOCK_UN);
}

} // namespace miran::settings
