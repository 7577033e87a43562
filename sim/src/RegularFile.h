#pragma once

#include <cstdint>
#include <string>

namespace miran::sim {

// The whole of a regular file of at most maxMiB MiB: a FIFO would block and /dev/zero never end. Throws
// std::runtime_error naming the path.
std::string ReadRegularFile(const std::string& path, std::uintmax_t maxMiB);

} // namespace miran::sim
