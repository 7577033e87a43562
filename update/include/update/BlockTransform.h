#pragma once

#include "update/Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace miran::update {

using TBlockKey = std::array<std::uint8_t, kBlockKeySize>;
using TUniqueId = std::array<std::uint8_t, kUniqueIdSize>;

// Four Crc16 values over 12-byte windows of the unique id, each stored low byte first.
TBlockKey DeriveBlockKey(const TUniqueId& uniqueId);

// Transforms the 512 bytes of one block in place with the device's key.
void BlockTransform(std::uint8_t* block, const TBlockKey& key);

} // namespace miran::update
