#pragma once

#include "paint/Markup.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

class QPainter;

namespace miran::widgets {

// The markup engine is paint's (paint/Markup.h); these run it on a QPainter.
using paint::kDefaultSuperSubScriptRatio;
using paint::kMaxMarkupExtent;
using paint::kMaxMarkupFontSize;
using paint::odDisabled;
using paint::odReserved1;
using paint::odSelected;
using paint::TOwnerDrawState;

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
