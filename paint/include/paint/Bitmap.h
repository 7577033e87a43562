#pragma once

#include "paint/Color.h"

#include <cstdint>
#include <span>
#include <vector>

namespace miran::paint {

// A small RGB image, rows from the top.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels; // width * height, row by row

    TColor At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    void Set(int x, int y, TColor c) { pixels[static_cast<std::size_t>(y * width + x)] = c; }
};

// An uncompressed Windows bitmap with a palette (1, 4 or 8 bits per pixel); an empty bitmap
// when the bytes are something else.
Bitmap DecodeBitmap(std::span<const std::uint8_t> bytes);
// The embedded bitmap resource of that name, or an empty bitmap when it is missing.
Bitmap LoadBitmapResource(const char* name);

} // namespace miran::paint
