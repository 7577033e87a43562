#include "update/Crc16.h"

namespace miran::update {

std::uint16_t Crc16(const std::uint8_t* data, std::uint16_t length) {
    std::uint16_t c = 0;
    for (std::uint16_t i = 0; i < length; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA481) : static_cast<std::uint16_t>(c >> 1);
    }
    return c;
}

} // namespace miran::update
