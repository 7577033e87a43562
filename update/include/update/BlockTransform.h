#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace miran::update {

inline constexpr std::size_t kBlockSize = 512;

using TBlockKey = std::array<std::uint8_t, 8>;
using TUniqueId = std::array<std::uint8_t, 16>;

// Four Crc16 values over 12-byte windows of the unique id, each stored low byte first.
TBlockKey DeriveBlockKey(const TUniqueId& uniqueId);

// Transforms the 512 bytes of one block in place with the device's key.
void BlockTransform(std::uint8_t* block, const TBlockKey& key);

} // namespace miran::update
