#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

class QPainter;

namespace miran::widgets {

// Owner-draw state flags understood by the markup engine.
enum TOwnerDrawStateFlag : unsigned {
    odSelected = 1u << 0,  // markup colours suppressed
    odDisabled = 1u << 2,  // markup colours suppressed; rules take the font colour
    odReserved1 = 1u << 8, // rule thickness and indents scaled by scale / 100
};
using TOwnerDrawState = unsigned;

// What the markup engine draws with: a painter (none while only measuring) and the
// font, colours and background mode it starts from.
struct MarkupCanvas {
    QPainter* painter = nullptr;
    QPalette palette;
    QFont font;
    QColor fontColor = Qt::black;
    QColor brushColor = Qt::white;
    bool brushClear = false; // text cells are left unpainted
    QColor penColor = Qt::black;

    // Like any background colour assignment this makes the background opaque.
    void setBrushColor(const QColor& c) {
        brushColor = c;
        brushClear = false;
    }
};

inline constexpr double kDefaultSuperSubScriptRatio = 2.0 / 3.0;
// Markup cannot take a font size (pixels or points) beyond this, nor a position, indent or
// rule width beyond the largest widget, either way from the origin.
inline constexpr int kMaxMarkupFontSize = 4096;
inline constexpr int kMaxMarkupExtent = (1 << 24) - 1;

// Draws the markup text into rect; returns the target of the link under mouse, if any
// (that link is drawn red). Throws EConvertError for a malformed number or colour.
std::optional<QString> DrawMarkup(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                                  double ratio, const QString& text, QPoint mouse);
// The width of the widest line in pixels.
int MeasureMarkupWidth(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state, int scale,
                       double ratio, const QString& text);
// The height of all lines plus 1 (the font's text height plus 1 for no lines).
int MeasureMarkupHeight(MarkupCanvas& canvas, TOwnerDrawState state, int scale, double ratio,
                        const QString& text);
// The target of the link that lies under point, if any.
std::optional<QString> FindMarkupLink(MarkupCanvas& canvas, const QRect& rect, TOwnerDrawState state,
                                      int scale, double ratio, const QString& text, QPoint point);

} // namespace miran::widgets
