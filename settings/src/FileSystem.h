#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace miran::settings {

// An ini file larger than this is not ours.
inline constexpr std::size_t kMaxFileSize = 4 * 1024 * 1024;

// True when the file exists and cannot be replaced as a whole: it is marked read-only (the read-only
// attribute, or no write permission bit) or this process cannot write it, it is no regular file, or (not
// on Windows, where a folder's read-only mark does not stop it) its folder is marked read-only or does not
// let this process create the new file beside it.
bool IsReadOnlyFile(const std::string& path);

// Reads a regular file of at most kMaxFileSize bytes. Never opens anything else, so a FIFO cannot block
// and a device cannot feed endless bytes. Throws std::runtime_error with a readable message.
std::string ReadFileText(const std::string& path);

// Creates the missing folders, writes the text to a new file beside the target and renames it over the
// target, so the target always holds either the old or the whole new content. A symbolic link is
// followed (not on Windows), the old file's permissions or attributes are kept; a target that is no regular
// file is never replaced. Throws std::runtime_error with a readable message; the target is then untouched.
void ReplaceFileText(const std::string& path, std::string_view text);

} // namespace miran::settings
