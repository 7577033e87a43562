#include "settings/FileLocation.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace miran::settings {

namespace {

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string{} : std::string{value};
}

std::string HomeFolder() {
    auto home = EnvironmentText("HOME");
    if (home.empty()) {
        if (const auto* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr)
            home = user->pw_dir;
    }
    return home;
}

std::string UserConfigFolder() {
    const auto configHome = EnvironmentText("XDG_CONFIG_HOME");
    if (!configHome.empty() && configHome.front() == '/')
        return configHome;
    const auto home = HomeFolder();
    return home.empty() ? std::string{} : home + "/.config";
}

std::string TempFolder() {
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::string{"/tmp"} : folder.string();
}

std::string ExeFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string{} : exe.parent_path().string();
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

std::string ResolveFileName(const std::string& fileName, TFileLocation location) {
    if (fileName.empty() && location != TFileLocation::flCustom)
        return {};
    auto path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    const auto name = path.substr(path.rfind('/') + 1);
    const bool absolute = !path.empty() && path.front() == '/';
    switch (location) {
    case TFileLocation::flCustom:
        return path;
    case TFileLocation::flWindows:
        return WithSeparator("/etc") + name;
    case TFileLocation::flTemp:
        return WithSeparator(TempFolder()) + name;
    case TFileLocation::flExeFile:
        return WithSeparator(ExeFolder()) + name;
    case TFileLocation::flUserFolder:
        return WithSeparator(UserConfigFolder()) + (absolute ? name : path);
    }
    return {};
}

} // namespace miran::settings
