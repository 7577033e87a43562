#include "paint/Bitmap.h"

#include "resources/Resources.h"

namespace miran::paint {
namespace {

std::uint32_t Little(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    return value;
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

} // namespace

Bitmap DecodeBitmap(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return {};
    const std::size_t pixelsAt = Little(bytes, 10, 4);
    const std::size_t headerSize = Little(bytes, 14, 4);
    const auto width = static_cast<std::int32_t>(Little(bytes, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(Little(bytes, 22, 4));
    const auto bits = static_cast<int>(Little(bytes, 28, 2));
    const std::uint32_t compression = Little(bytes, 30, 4);
    std::uint32_t colors = Little(bytes, 46, 4);
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    if (headerSize < kInfoHeaderSize || compression != 0 || (bits != 1 && bits != 4 && bits != 8) ||
        width <= 0 || width > 4096 || height <= 0 || height > 4096)
        return {};
    if (colors == 0 || colors > (1u << bits))
        colors = 1u << bits;
    const std::size_t paletteAt = kFileHeaderSize + headerSize;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    if (paletteAt + colors * 4 > bytes.size() || pixelsAt + stride * height > bytes.size())
        return {};

    Bitmap bitmap{width, height, std::vector<TColor>(static_cast<std::size_t>(width * height), clBlack)};
    for (int y = 0; y < height; ++y) {
        const std::size_t row = pixelsAt + stride * static_cast<std::size_t>(bottomUp ? height - 1 - y : y);
        for (int x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x) * bits;
            const int shift = 8 - bits - static_cast<int>(bit % 8);
            const std::uint32_t index = (bytes[row + bit / 8] >> shift) & ((1u << bits) - 1);
            if (index >= colors)
                continue;
            const std::size_t entry = paletteAt + index * 4; // blue, green, red, reserved
            bitmap.Set(x, y, TColor(bytes[entry + 2], bytes[entry + 1], bytes[entry]));
        }
    }
    return bitmap;
}

Bitmap LoadBitmapResource(const char* name) {
    return DecodeBitmap(resources::Find("BITMAP", name));
}

} // namespace miran::paint
