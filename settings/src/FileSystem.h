#pragma once

#include <string>
#include <string_view>

namespace miran::settings {

// True when the file exists and is marked read-only (no write permission bit) or this process cannot
// write it.
bool IsReadOnlyFile(const std::string& path);

// Throws std::runtime_error with a readable message.
std::string ReadFileText(const std::string& path);

// Creates the missing folders, writes the text to a new file beside the target and renames it over the
// target, so the target always holds either the old or the whole new content. A symbolic link is
// followed, the old file's permissions are kept. Throws std::runtime_error with a readable message; the
// target is then untouched.
void ReplaceFileText(const std::string& path, std::string_view text);

} // namespace miran::settings
