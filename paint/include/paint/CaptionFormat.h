#pragma once

#include <string>
#include <string_view>

namespace miran::paint {

// Every character is at least a pixel wide, and no screen is this many pixels wide: padding
// beyond it cannot change what a control shows.
inline constexpr int kMaxCaptionField = 16384;

// A caption used as a format string with one integer argument: "%d", "%u", "%x" and "%X"
// (with optional "-", width and precision) take the value, "%%" gives a percent sign.
// Anything else, including conversions that would need another argument, stays as written.
// Widths and precisions count at most kMaxCaptionField characters.
std::string FormatCaption(std::string_view format, int value);

} // namespace miran::paint
