#include "update/BlockTransform.h"

#include "update/Crc16.h"

namespace miran::update {

TBlockKey DeriveBlockKey(const TUniqueId& uniqueId) {
    // Window starts for key bytes 0..1, 2..3, 4..5 and 6..7; byte 15 enters no window.
    constexpr std::array<std::size_t, 4> kWindowStart = {2, 0, 3, 1};
    TBlockKey key{};
    for (std::size_t k = 0; k < kWindowStart.size(); ++k) {
        std::uint16_t crc = Crc16(uniqueId.data() + kWindowStart[k], 12);
        key[2 * k] = static_cast<std::uint8_t>(crc);
        key[2 * k + 1] = static_cast<std::uint8_t>(crc >> 8);
    }
    return key;
}

void BlockTransform(std::uint8_t* block, const TBlockKey& key) {
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        std::uint8_t t = block[i] ^ key[(i >> 4) & 7];
        t = static_cast<std::uint8_t>(t + i / 3);
        t ^= key[7 - (i & 7)];
        t = static_cast<std::uint8_t>(t - i / 5);
        block[i] = t;
    }
}

} // namespace miran::update
