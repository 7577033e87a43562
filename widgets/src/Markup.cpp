#include "widgets/Markup.h"

#include "QtCanvas.h"
#include "widgets/Color.h"

#include <QWidget>

namespace miran::widgets {
namespace {

static_assert(kMaxMarkupExtent == QWIDGETSIZE_MAX);

paint::MarkupStyle Style(const MarkupCanvas& canvas) {
    paint::MarkupStyle style;
    style.font = ToPaintFont(canvas.font);
    style.fontColor = ToTColor(canvas.fontColor);
    style.brushColor = ToTColor(canvas.brushColor);
    style.brushClear = canvas.brushClear;
    style.penColor = ToTColor(canvas.penColor);
    return style;
}

std::optional<QString> ToQString(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    return QString::fromStdString(*text);
}

} // namespace

std::optional<QString> DrawMarkup(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                                  double ratio, const QString& text, QPoint mouse) {
    QtCanvas qt(canvas.painter, canvas.font, canvas.palette);
    return ToQString(paint::DrawMarkup(qt, Style(canvas), ToRect(rect), state, scale, ratio,
                                       text.toStdString(), {mouse.x(), mouse.y()}));
}

int MeasureMarkupWidth(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                       double ratio, const QString& text) {
    QtCanvas qt(nullptr, canvas.font, canvas.palette);
    return paint::MeasureMarkupWidth(qt, Style(canvas), ToRect(rect), state, scale, ratio,
                                     text.toStdString());
}

int MeasureMarkupHeight(MarkupCanvas& canvas, TOwnerDrawState state, int scale, double ratio,
                        const QString& text) {
    QtCanvas qt(nullptr, canvas.font, canvas.palette);
    return paint::MeasureMarkupHeight(qt, Style(canvas), state, scale, ratio, text.toStdString());
}

std::optional<QString> FindMarkupLink(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state,
                                      int scale, double ratio, const QString& text, QPoint point) {
    QtCanvas qt(nullptr, canvas.font, canvas.palette);
    return ToQString(paint::FindMarkupLink(qt, Style(canvas), ToRect(rect), state, scale, ratio,
                                           text.toStdString(), {point.x(), point.y()}));
}

} // namespace miran::widgets
