#include "settings/FileLocation.h"

#include <shlobj.h>
#include <windows.h>

namespace miran::settings {

namespace {

constexpr int kAppDataFolderId = 26;

std::string AppDataFolder() {
    LPITEMIDLIST items = nullptr;
    if (::SHGetSpecialFolderLocation(nullptr, kAppDataFolderId, &items) != S_OK)
        return {};
    char path[MAX_PATH] = {};
    const bool converted = ::SHGetPathFromIDListA(items, path);
    ::CoTaskMemFree(items);
    return converted ? std::string{path} : std::string{};
}

std::string WindowsFolder() {
    char path[MAX_PATH] = {};
    const auto length = ::GetWindowsDirectoryA(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string{};
}

std::string TempFolder() {
    char path[MAX_PATH + 1] = {};
    const auto length = ::GetTempPathA(MAX_PATH + 1, path);
    return length > 0 && length <= MAX_PATH ? std::string(path, length) : std::string{};
}

std::string ExeFolder() {
    char path[MAX_PATH] = {};
    const auto length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    const std::string exe(path, length);
    return exe.substr(0, exe.rfind('\\') + 1);
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

bool IsDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "\\server\share..." or "C:\...", the latter also after the device prefix "\\.\".
bool IsAbsolute(std::string_view path) {
    if (path.starts_with("\\\\.\\"))
        path.remove_prefix(4);
    else if (path.starts_with("\\\\"))
        return true;
    return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

} // namespace

std::string ResolveFileName(const std::string& fileName, TFileLocation location) {
    if (fileName.empty() && location != TFileLocation::flCustom)
        return {};
    const auto name = fileName.substr(fileName.find_last_of("\\:") + 1);
    switch (location) {
    case TFileLocation::flCustom:
        return fileName;
    case TFileLocation::flWindows:
        return WithSeparator(WindowsFolder()) + name;
    case TFileLocation::flTemp:
        return WithSeparator(TempFolder()) + name;
    case TFileLocation::flExeFile:
        return WithSeparator(ExeFolder()) + name;
    case TFileLocation::flUserFolder:
        return WithSeparator(AppDataFolder()) + (IsAbsolute(fileName) ? name : fileName);
    }
    return {};
}

} // namespace miran::settings
