#pragma once

#include <cstdint>

namespace miran::update {

// Reflected CRC-16, polynomial 0xA481, initial value 0, no final XOR.
std::uint16_t Crc16(const std::uint8_t* data, std::uint16_t length);

} // namespace miran::update
