#pragma once

#include <cstdint>

namespace miran::update {

// The USB IDs the MIRAN POLY-MCU programmer presents.
inline constexpr std::uint16_t kProgrammerVendorId = 0x16C0;
inline constexpr std::uint16_t kProgrammerProductId = 0x2AA8;

} // namespace miran::update
