#pragma once

#include "paint/Bitmap.h"

#include <cstdint>
#include <vector>

namespace miran::paint {

// The picture as an 8-bit RGB PNG file, its image data stored without compression: screenshots need no
// image library.
std::vector<std::uint8_t> EncodePng(const Bitmap& image);

} // namespace miran::paint
