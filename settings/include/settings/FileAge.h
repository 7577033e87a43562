#pragma once

#include <cstdint>
#include <string>

namespace miran::settings {

// What tells one version of a file from another: its modification time, and to catch writes within
// the same clock tick or files replaced by renaming, its change time, size and inode as well.
struct TFileAge {
    std::int64_t modifiedNs = -1;
    std::int64_t changedNs = -1;
    std::int64_t size = -1;
    std::uint64_t inode = 0;

    bool Exists() const { return modifiedNs != -1; }
    bool operator==(const TFileAge&) const = default;
};

// All -1 when the file does not exist.
TFileAge FileAge(const std::string& path);

} // namespace miran::settings
