#pragma once

namespace miran::paint {

// Client pixels, x to the right and y down from the top-left corner.
struct TPoint {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(TPoint, TPoint) = default;
};

// Includes its left and top edges, excludes its right and bottom edges.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

} // namespace miran::paint
