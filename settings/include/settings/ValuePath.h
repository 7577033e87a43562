#pragma once

#include <string>
#include <string_view>

namespace miran::settings {

// Joins backslash-separated segments into the canonical form: no empty segments, no leading or trailing
// backslash; "." is dropped, ".." steps up one segment and every further dot one more.
std::string NormalizePath(std::string_view path);

// Normalises "path\key" as one value path.
std::string ConcatPaths(std::string_view path, std::string_view key);

struct TSectionKey {
    std::string section;
    std::string key;

    bool operator==(const TSectionKey&) const = default;
};

// Cuts a value path at its last backslash. An empty section, or one that begins with a dot, gets
// defaultSection in front; throws EAppStorageError when no section results.
TSectionKey SplitSectionKey(std::string_view path, std::string_view defaultSection);

} // namespace miran::settings
