#pragma once

#include "paint/Canvas.h"

#include <QFont>
#include <QPalette>
#include <QRect>

class QPainter;

namespace miran::widgets {

// The painting layer's canvas over a QPainter. Fonts are the control's font with the changes
// the painting code made; system colours come from the control's palette. Without a painter
// it only measures.
class QtCanvas final : public paint::Canvas {
public:
    QtCanvas(QPainter* painter, QFont base, QPalette palette);

    int TextWidth(std::string_view text, const paint::Font& font) override;
    int TextHeight(const paint::Font& font) override;
    void FillRect(const paint::TRect& rect, paint::TColor color) override;
    void DrawText(paint::TPoint topLeft, std::string_view text, const paint::Font& font,
                  paint::TColor color) override;
    void DrawMaskedBitmap(paint::TPoint topLeft, const paint::Bitmap& image,
                          const paint::Bitmap& mask) override;

    QFont ToQFont(const paint::Font& font) const;

private:
    QPainter* painter_;
    QFont base_;
    QPalette palette_;
};

// A Qt font as the painting layer describes it.
paint::Font ToPaintFont(const QFont& font);

inline paint::TRect ToRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

inline QRect ToQRect(const paint::TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace miran::widgets
