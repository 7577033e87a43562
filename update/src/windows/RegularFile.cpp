#include "RegularFile.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <windows.h>

namespace miran::update {

namespace {

std::runtime_error CannotRead(const std::string& path) {
    const std::string reason = std::system_category().message(static_cast<int>(GetLastError()));
    return std::runtime_error(path + ": cannot be read: " + reason);
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

RegularFile::RegularFile(const std::string& path) : path_(path) {
    // A folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS: it is told apart first.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw std::runtime_error(path + ": not a regular file");
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw CannotRead(path);
    handle_ = reinterpret_cast<std::intptr_t>(file);
    // Devices (NUL, CON, COM1) and pipes are not disk files.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        throw std::runtime_error(path + ": not a regular file");
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        const std::runtime_error error = CannotRead(path);
        CloseHandle(file);
        throw error;
    }
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

RegularFile::~RegularFile() {
    CloseHandle(Handle(handle_));
}

void RegularFile::Read(std::uint8_t* destination, std::size_t count) {
    while (count > 0) {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        if (!ReadFile(Handle(handle_), destination, wanted, &got, nullptr))
            throw CannotRead(path_);
        if (got == 0)
            throw std::runtime_error(path_ + ": cannot be read: it became shorter while it was read");
        destination += got;
        count -= got;
    }
}

} // namespace miran::update
