// Markup captions as a label measures, paints and searches them for links. Input: one byte of
// settings, one byte that repeats the caption (long captions without long inputs: painting must stay
// linear), then the caption in UTF-8.
#include "NullCanvas.h"
#include "core/ConvertError.h"
#include "paint/Markup.h"

#include <string>

using namespace miran::paint;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t settings = data[0];
    const std::string piece(reinterpret_cast<const char*>(data + 2), size - 2);
    std::string caption;
    for (int i = 0; i <= data[1] % 16; ++i)
        caption += piece;

    miran::fuzz::NullCanvas canvas;
    MarkupStyle style;
    style.font.size = 11;
    style.brushClear = settings & 1;
    const TOwnerDrawState state = (settings & 2 ? odSelected : 0u) | (settings & 4 ? odDisabled : 0u) |
                                  (settings & 8 ? odReserved1 : 0u);
    const int scale = settings & 16 ? 250 : 100;
    const TRect rect{0, 0, 200, 60};
    const TPoint mouse{(settings >> 5) * 25, 10};
    try {
        MeasureMarkupHeight(canvas, style, state, scale, kDefaultSuperSubScriptRatio, caption);
        MeasureMarkupWidth(canvas, style, TRect{}, state, scale, kDefaultSuperSubScriptRatio, caption);
        DrawMarkup(canvas, style, rect, state, scale, kDefaultSuperSubScriptRatio, caption, mouse);
        FindMarkupLink(canvas, style, rect, 0, 100, kDefaultSuperSubScriptRatio, caption, mouse);
    } catch (const miran::EConvertError&) {
        return 0; // a malformed number or colour: the caption is refused
    }
    return 0;
}
