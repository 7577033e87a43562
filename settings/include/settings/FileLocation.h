#pragma once

#include <string>

namespace miran::settings {

// Where a storage keeps its file. The file name is relative to the folder, except with flCustom.
// flWindows is the system configuration folder, flUserFolder the per-user configuration folder
// ($XDG_CONFIG_HOME, else ~/.config).
enum class TFileLocation { flCustom, flWindows, flTemp, flExeFile, flUserFolder };

// Full path of fileName at location. Backslashes in fileName separate folders. An absolute fileName
// keeps only its last part, except with flCustom; with flUserFolder a relative one keeps its folders.
// Empty when fileName is empty and location is not flCustom.
std::string ResolveFileName(const std::string& fileName, TFileLocation location);

} // namespace miran::settings
