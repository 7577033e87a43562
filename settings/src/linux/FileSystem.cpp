#include "FileSystem.h"

#include "core/UniqueFd.h"
#include "settings/FileAge.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace miran::settings {

namespace fs = std::filesystem;

namespace {

std::runtime_error FileError(const char* what, const fs::path& path, const std::string& reason) {
    return std::runtime_error(std::string{what} + " \"" + path.string() + "\": " + reason);
}

std::runtime_error FileError(const char* what, const fs::path& path, int error) {
    return FileError(what, path, std::strerror(error));
}

fs::path FollowLink(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error))
        return path;
    auto target = fs::canonical(path, error);
    return error ? path : target;
}

// Missing write permission bits count even for a privileged process, which access() lets through.
bool CannotWrite(const fs::path& path, int accessMode) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 || (info.st_mode & 0222) == 0 ||
           ::access(path.c_str(), accessMode) != 0;
}

std::runtime_error TooLarge(const fs::path& path) {
    return FileError("Cannot read file", path, "larger than " + std::to_string(kMaxFileSize) + " bytes");
}

void CheckReadable(const fs::path& path, const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        throw FileError("Cannot read file", path, "not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxFileSize)
        throw TooLarge(path);
}

void CreateFolders(const fs::path& folder) {
    if (folder.empty())
        return;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        throw FileError("Cannot create folder", folder, error.value());
}

// A fresh file beside the target; the mode 0666 lets the umask decide, as for a plain new file.
int CreateSiblingFile(const fs::path& target, fs::path& created) {
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream name;
        name << '.' << target.filename().string() << '.' << std::hex << entropy() << ".tmp";
        created = target.parent_path() / name.str();
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Each step gives 0 or the errno value of its failure.
int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno != EINTR)
            return errno;
        if (written > 0)
            text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int KeepOwnerAndMode(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0)
        return 0;
    // Best effort: only a privileged process can hand the file back to another owner.
    [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    return ::fchmod(fd, old.st_mode & 07777) == 0 ? 0 : errno;
}

void SyncFolder(const fs::path& folder) {
    const UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        ::fsync(fd.Get());
}

} // namespace

TFileAge FileAge(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return {};
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {nanoseconds(info.st_mtim), nanoseconds(info.st_ctim), static_cast<std::int64_t>(info.st_size),
            static_cast<std::uint64_t>(info.st_ino)};
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return false;
    // A flush creates the new file in the target's folder and renames it over the target.
    const auto folder = FollowLink(path).parent_path();
    return !S_ISREG(info.st_mode) || CannotWrite(path, W_OK) ||
           CannotWrite(folder.empty() ? fs::path(".") : folder, W_OK | X_OK);
}

std::string ReadFileText(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw FileError("Cannot read file", path, errno);
    CheckReadable(path, info);
    // Without O_NONBLOCK a FIFO swapped in since the check would block the open.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.Get() < 0)
        throw FileError("Cannot read file", path, errno);
    if (::fstat(fd.Get(), &info) != 0)
        throw FileError("Cannot read file", path, errno);
    CheckReadable(path, info);
    std::string text;
    char buffer[16384];
    for (;;) {
        const auto count = ::read(fd.Get(), buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count < 0 && errno != EINTR)
            throw FileError("Cannot read file", path, errno);
        if (count > 0)
            text.append(buffer, static_cast<std::size_t>(count));
        // The file may grow while we read it.
        if (text.size() > kMaxFileSize)
            throw TooLarge(path);
    }
    return text;
}

void ReplaceFileText(const std::string& path, std::string_view text) {
    const auto target = FollowLink(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw FileError("Cannot write file", target, "not a regular file");
    CreateFolders(target.parent_path());
    fs::path temporary;
    const int fd = CreateSiblingFile(target, temporary);
    if (fd < 0)
        throw FileError("Cannot create file", temporary, errno);
    int error = WriteAll(fd, text);
    if (error == 0)
        error = KeepOwnerAndMode(fd, target);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw FileError("Cannot write file", target, error);
    }
    SyncFolder(target.parent_path());
}

} // namespace miran::settings
