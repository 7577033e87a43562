#pragma once

#include "paint/Bitmap.h"

namespace miran::paint {

// The message box's pictures, in the order of its image list.
enum class MessageGlyph { Exclamation, Stop, Information, Question };

inline constexpr int kMessageGlyphSize = 32;

// A 32 x 32 picture on black: a blue sign in a grey speech-bubble outline, or for Stop a red disc with a
// black diagonal cross.
Bitmap DrawMessageGlyph(MessageGlyph glyph);

} // namespace miran::paint
