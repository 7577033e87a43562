#pragma once

#include "paint/Color.h"

namespace miran::paint {

// The lamp shape: '.' background, 'g' grey outline, 'w' white highlight, 'L' lamp colour.
inline constexpr const char* kLampShape[17] = {
    ".................", ".................", "......ggggg......", "....ggLLLLLgg....", "...gLLLLLLLLLg...",
    "...gLLwwwLLLLg...", "..gLLwwwLLLLLLg..", "..gLLwwLLLLLLLg..", "..gLLwLLLLLLLLg..", "..gLLLLLLLLLLLg..",
    "..gLLLLLLLLLLLg..", "...gLLLLLLLLLg...", "...gLLLLLLLLLg...", "....ggLLLLLgg....", "......gggggg.....",
    ".................", ".................",
};

// The pixel a lamp of that colour, drawn centred in a width x height control, gives at x, y.
inline TColor ExpectedLampPixel(int x, int y, int width, int height, TColor lamp, TColor background) {
    const int lx = x - (width - 17) / 2, ly = y - (height - 17) / 2;
    if (lx < 0 || ly < 0 || lx >= 17 || ly >= 17)
        return background;
    switch (kLampShape[ly][lx]) {
    case 'g':
        return clGray;
    case 'w':
        return clWhite;
    case 'L':
        return lamp;
    default:
        return background;
    }
}

} // namespace miran::paint
