#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace miran::window {

inline constexpr const char* kReleaseCopyArgument = "5246031";
inline constexpr const char* kBuilderWindowClass = "TAPPBUILDER";

// The copy is made when the only argument is the release number and the builder's window exists.
bool ReleaseCopyRequested(const std::vector<std::string>& arguments,
                          const std::function<bool()>& builderWindowExists);

// The executable's file name with its extension (dot included) replaced by the version and the platform's
// executable suffix: Tool.exe becomes Tool1.9.0.exe, miran-isp-up becomes miran-isp-up1.9.0.
std::string ReleaseCopyName(const std::filesystem::path& executable, const std::string& versionText,
                            const std::string& executableSuffix);

// Copies the executable to dist/<name> below the current folder, replacing a file of that name; when that
// target is a folder the copy goes into it under the executable's own name. Failures are ignored.
void CopyRelease(const std::filesystem::path& executable, const std::string& name);

} // namespace miran::window
