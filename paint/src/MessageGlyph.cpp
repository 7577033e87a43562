#include "paint/MessageGlyph.h"

#include <algorithm>
#include <cmath>

namespace miran::paint {
namespace {

// The signs, 5 x 7 cells of 2 x 2 pixels, centred in the bubble.
constexpr const char* kExclamation[7] = {"..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."};
constexpr const char* kInformation[7] = {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."};
constexpr const char* kQuestion[7] = {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."};
constexpr int kCell = 2;

// The bubble: a rectangle [3, 29) x [3, 23) with corners of radius 6, a 2-pixel outline, and a tail.
constexpr double kLeft = 3, kTop = 3, kRight = 29, kBottom = 23, kRadius = 6, kLine = 2;

// Distance of the pixel centre (x, y) from the segment (x0, y0)-(x1, y1).
double DistanceToSegment(double x, double y, double x0, double y0, double x1, double y1) {
    const double dx = x1 - x0, dy = y1 - y0;
    const double t = std::clamp(((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
}

bool InsideRoundedRect(double x, double y, double inset) {
    const double radius = kRadius - inset;
    const double cx = std::clamp(x, kLeft + kRadius, kRight - kRadius);
    const double cy = std::clamp(y, kTop + kRadius, kBottom - kRadius);
    return x >= kLeft + inset && x < kRight - inset && y >= kTop + inset && y < kBottom - inset &&
           std::hypot(x - cx, y - cy) <= radius;
}

void DrawBubble(Bitmap& image, const char* const (&sign)[7]) {
    const TColor grey = clGray;
    for (int y = 0; y < kMessageGlyphSize; ++y) {
        for (int x = 0; x < kMessageGlyphSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool outline = InsideRoundedRect(px, py, 0) && !InsideRoundedRect(px, py, kLine);
            const bool tail = DistanceToSegment(px, py, 10, kBottom, 8, 29) <= kLine / 2;
            if (outline || tail)
                image.Set(x, y, grey);
        }
    }
    const int left = static_cast<int>(kLeft + kRight) / 2 - 5 * kCell / 2;
    const int top = static_cast<int>(kTop + kBottom) / 2 - 7 * kCell / 2;
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            if (sign[row][column] != '#')
                continue;
            for (int d = 0; d < kCell * kCell; ++d)
                image.Set(left + column * kCell + d % kCell, top + row * kCell + d / kCell, clBlue);
        }
    }
}

void DrawStop(Bitmap& image) {
    for (int y = 0; y < kMessageGlyphSize; ++y) {
        for (int x = 0; x < kMessageGlyphSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool cross = DistanceToSegment(px, py, 10, 10, 22, 22) <= 2 ||
                               DistanceToSegment(px, py, 22, 10, 10, 22) <= 2;
            if (std::hypot(px - 16, py - 16) <= 14 && !cross)
                image.Set(x, y, clRed);
        }
    }
}

} // namespace

Bitmap DrawMessageGlyph(MessageGlyph glyph) {
    Bitmap image{kMessageGlyphSize, kMessageGlyphSize,
                 std::vector<TColor>(kMessageGlyphSize * kMessageGlyphSize, clBlack)};
    switch (glyph) {
    case MessageGlyph::Exclamation:
        DrawBubble(image, kExclamation);
        break;
    case MessageGlyph::Stop:
        DrawStop(image);
        break;
    case MessageGlyph::Information:
        DrawBubble(image, kInformation);
        break;
    case MessageGlyph::Question:
        DrawBubble(image, kQuestion);
        break;
    }
    return image;
}

} // namespace miran::paint
