#include "paint/MarkupLabel.h"

#include "Text.h"
#include "core/ConvertError.h"

namespace miran::paint {

TRect MarkupTextRect(TextMeasure& measure, const MarkupStyle& style, TTextLayout layout, const TRect& client,
                     double ratio, std::string_view caption) {
    if (layout == TTextLayout::tlTop)
        return client;
    const int height = MeasureMarkupHeight(measure, style, 0, 100, ratio, caption);
    const int top =
        layout == TTextLayout::tlCenter ? (client.Height() - height) / 2 : client.Height() - height;
    return {client.Left, client.Top + top, client.Right, client.Bottom + top};
}

std::optional<std::string> DrawMarkupLabel(Canvas& canvas, MarkupStyle style, const TRect& textRect,
                                           bool enabled, double ratio, std::string_view caption,
                                           TPoint mouse) {
    if (enabled)
        return DrawMarkup(canvas, style, textRect, 0, 100, ratio, caption, mouse);
    style.fontColor = clBtnHighlight;
    const TRect shifted{textRect.Left + 1, textRect.Top + 1, textRect.Right + 1, textRect.Bottom + 1};
    DrawMarkup(canvas, style, shifted, odDisabled, 100, ratio, caption, mouse);
    style.fontColor = clBtnShadow;
    return DrawMarkup(canvas, style, textRect, odDisabled, 100, ratio, caption, mouse);
}

std::optional<std::string> MarkupLabelLinkAt(TextMeasure& measure, const MarkupStyle& style,
                                             const TRect& textRect, double ratio, std::string_view caption,
                                             TPoint point) {
    try {
        return FindMarkupLink(measure, PlainStyle(style), textRect, 0, 100, ratio, caption, point);
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

TPoint MarkupLabelSize(TextMeasure& measure, const MarkupStyle& style, double ratio,
                       std::string_view caption) {
    const int height = MeasureMarkupHeight(measure, style, 0, 100, ratio, caption);
    const int width = MeasureMarkupWidth(measure, style, TRect{}, 0, 100, ratio, caption);
    return {width, height};
}

bool OpensOnTheDesktop(std::string_view target) {
    return target.find("://") != std::string_view::npos ||
           FindNoCase(target, "MAILTO:") != std::string_view::npos;
}

MarkupStyle PlainStyle(MarkupStyle style) {
    style.font.bold = false;
    style.font.italic = false;
    style.font.underline = false;
    style.font.strikeOut = false;
    return style;
}

} // namespace miran::paint
