#include "FileSystem.h"

#include "settings/FileAge.h"

#include <cstdint>
#include <random>
#include <sstream>
#include <stdexcept>
#include <windows.h>

namespace miran::settings {

namespace {

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const auto length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                             FORMAT_MESSAGE_IGNORE_INSERTS,
                                         nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::runtime_error FileError(const char* what, const std::string& path, const std::string& reason) {
    return std::runtime_error(std::string{what} + " \"" + path + "\": " + reason);
}

std::runtime_error FileError(const char* what, const std::string& path, DWORD error) {
    return FileError(what, path, SystemMessage(error));
}

class UniqueHandle {
public:
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() { Close(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    // 0 or the error of the close.
    DWORD Close() {
        const bool closed = !Valid() || ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : ::GetLastError();
    }

private:
    HANDLE handle_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueHandle OpenExisting(const std::string& path, DWORD access, DWORD flags = 0) {
    return UniqueHandle(
        ::CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr));
}

bool IsRegular(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::int64_t Nanoseconds(std::int64_t ticks) {
    return ticks * 100;
}

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart);
}

std::runtime_error TooLarge(const std::string& path) {
    return FileError("Cannot read file", path, "larger than " + std::to_string(kMaxFileSize) + " bytes");
}

std::string ParentFolder(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string{} : path.substr(0, separator);
}

// Parent first; a bare drive ("C:") or the root counts as existing.
void CreateFolders(const std::string& folder) {
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':'))
        return;
    const auto attributes = ::GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return;
    CreateFolders(ParentFolder(folder));
    if (!::CreateDirectoryA(folder.c_str(), nullptr))
        throw FileError("Cannot create folder", folder, ::GetLastError());
}

// A fresh file beside the target, opened for writing by us alone.
HANDLE CreateSiblingFile(const std::string& target, std::string& created) {
    std::random_device entropy;
    const auto folder = ParentFolder(target);
    const auto name = target.substr(target.find_last_of("\\/") + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ostringstream sibling;
        sibling << (folder.empty() ? "" : folder + "\\") << '.' << name << '.' << std::hex << entropy()
                << ".tmp";
        created = sibling.str();
        const auto file = ::CreateFileA(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

DWORD WriteAll(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1u << 20));
        if (!::WriteFile(file, text.data(), chunk, &written, nullptr))
            return ::GetLastError();
        text.remove_prefix(written);
    }
    return 0;
}

} // namespace

TFileAge FileAge(const std::string& path) {
    if (path.empty())
        return {};
    // Without access rights the times can be read even while another process holds the file open.
    const auto file = OpenExisting(path, 0, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!file.Valid() || !::GetFileInformationByHandle(file.Get(), &info) ||
        !::GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &basic, sizeof basic))
        return {};
    return {Nanoseconds(Ticks(info.ftLastWriteTime)), Nanoseconds(basic.ChangeTime.QuadPart),
            static_cast<std::int64_t>(std::uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow),
            std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

bool IsReadOnlyFile(const std::string& path) {
    const auto attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 || !IsRegular(attributes))
        return true;
    // Access rights can refuse what the attribute allows; a sharing conflict is only for now.
    return !OpenExisting(path, GENERIC_WRITE).Valid() && ::GetLastError() == ERROR_ACCESS_DENIED;
}

std::string ReadFileText(const std::string& path) {
    const auto file = OpenExisting(path, GENERIC_READ);
    if (!file.Valid())
        throw FileError("Cannot read file", path, ::GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.Get(), &info) ||
        !IsRegular(info.dwFileAttributes))
        throw FileError("Cannot read file", path, "not a regular file");
    if (info.nFileSizeHigh != 0 || info.nFileSizeLow > kMaxFileSize)
        throw TooLarge(path);
    std::string text;
    char buffer[16384];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr))
            throw FileError("Cannot read file", path, ::GetLastError());
        if (count == 0)
            break;
        text.append(buffer, count);
        // The file may grow while we read it.
        if (text.size() > kMaxFileSize)
            throw TooLarge(path);
    }
    return text;
}

void ReplaceFileText(const std::string& path, std::string_view text) {
    const auto attributes = ::GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !IsRegular(attributes))
        throw FileError("Cannot write file", path, "not a regular file");
    CreateFolders(ParentFolder(path));
    std::string temporary;
    UniqueHandle file(CreateSiblingFile(path, temporary));
    if (!file.Valid())
        throw FileError("Cannot create file", temporary, ::GetLastError());
    DWORD error = WriteAll(file.Get(), text);
    if (error == 0 && !::FlushFileBuffers(file.Get()))
        error = ::GetLastError();
    if (const auto closed = file.Close(); error == 0)
        error = closed;
    // The new file keeps the old one's hidden, system and archive marks; a read-only mark would keep a failed
    // replacement's file from being removed.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    if (error == 0 && attributes != INVALID_FILE_ATTRIBUTES)
        ::SetFileAttributesA(temporary.c_str(), attributes & kKept);
    if (error == 0 &&
        !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != 0) {
        ::DeleteFileA(temporary.c_str());
        throw FileError("Cannot write file", path, error);
    }
}

} // namespace miran::settings
