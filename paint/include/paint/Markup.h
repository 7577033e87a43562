#pragma once

#include "paint/Canvas.h"

#include <optional>
#include <string>
#include <string_view>

namespace miran::paint {

// Owner-draw state flags understood by the markup engine.
enum TOwnerDrawStateFlag : unsigned {
    odSelected = 1u << 0,  // markup colours suppressed
    odDisabled = 1u << 2,  // markup colours suppressed; rules take the font colour
    odReserved1 = 1u << 8, // rule thickness and indents scaled by scale / 100
};
using TOwnerDrawState = unsigned;

// The font, colours and background mode a markup pass starts from; a pass leaves it as it was.
struct MarkupStyle {
    Font font;
    TColor fontColor = clBlack;
    TColor brushColor = clWhite;
    bool brushClear = false; // text cells are left unpainted
    TColor penColor = clBlack;
};

inline constexpr double kDefaultSuperSubScriptRatio = 2.0 / 3.0;
// Markup cannot take a font size (pixels or points) beyond this, nor a position, indent or
// rule width beyond the largest widget, either way from the origin.
inline constexpr int kMaxMarkupFontSize = 4096;
inline constexpr int kMaxMarkupExtent = (1 << 24) - 1;

// Texts are UTF-8. Each throws EConvertError for a malformed number or colour in a tag.

// Draws the markup text into rect; returns the target of the link under mouse, if any
// (that link is drawn red).
std::optional<std::string> DrawMarkup(Canvas& canvas, const MarkupStyle& style, const TRect& rect,
                                      TOwnerDrawState state, int scale, double ratio, std::string_view text,
                                      TPoint mouse);
// The width of the widest line in pixels.
int MeasureMarkupWidth(TextMeasure& measure, const MarkupStyle& style, const TRect& rect,
                       TOwnerDrawState state, int scale, double ratio, std::string_view text);
// The height of all lines plus 1 (the font's text height plus 1 for no lines).
int MeasureMarkupHeight(TextMeasure& measure, const MarkupStyle& style, TOwnerDrawState state, int scale,
                        double ratio, std::string_view text);
// The target of the link that lies under point, if any.
std::optional<std::string> FindMarkupLink(TextMeasure& measure, const MarkupStyle& style, const TRect& rect,
                                          TOwnerDrawState state, int scale, double ratio,
                                          std::string_view text, TPoint point);

} // namespace miran::paint
