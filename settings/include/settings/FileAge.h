#pragma once

#include <cstdint>
#include <string>

namespace miran::settings {

// What tells one version of a file from another: its modification time, and to catch writes within
// the same clock tick or files replaced by renaming, its change time, size and inode as well.
struct TFileAge {
    std::int64_t ModifiedNs = -1;
    std::int64_t ChangedNs = -1;
    std::int64_t Size = -1;
    std::uint64_t Inode = 0;

    bool Exists() const { return ModifiedNs != -1; }
    bool operator==(const TFileAge&) const = default;
};

// All -1 when the file does not exist.
TFileAge FileAge(const std::string& path);

} // namespace miran::settings
