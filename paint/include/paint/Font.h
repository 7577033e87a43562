#pragma once

#include <string>

namespace miran::paint {

// A font as the painting code changes it: markup switches styles and scales the size.
struct Font {
    std::string family;
    int size = 8; // points, or pixels when sizeInPixels is set
    bool sizeInPixels = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const Font&, const Font&) = default;
};

} // namespace miran::paint
