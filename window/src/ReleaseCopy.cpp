#include "window/ReleaseCopy.h"

#include <system_error>

namespace miran::window {

bool ReleaseCopyRequested(const std::vector<std::string>& arguments,
                          const std::function<bool()>& builderWindowExists) {
    return arguments.size() == 1 && arguments[0] == kReleaseCopyArgument && builderWindowExists();
}

std::string ReleaseCopyName(const std::filesystem::path& executable, const std::string& versionText,
                            const std::string& executableSuffix) {
    return executable.filename().replace_extension().string() + versionText + executableSuffix;
}

void CopyRelease(const std::filesystem::path& executable, const std::string& name) {
    std::filesystem::path target = std::filesystem::path("dist") / name;
    std::error_code ignored;
    if (std::filesystem::is_directory(target, ignored))
        target /= executable.filename();
    std::filesystem::copy_file(executable, target, std::filesystem::copy_options::overwrite_existing,
                               ignored);
}

} // namespace miran::window
