#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <ostream>

// What a widget shows on screen, its parent's background included.
inline QImage Snapshot(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A font without anti-aliasing, so that every text pixel has exactly the text colour.
inline QFont CrispFont(int pixelSize) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

inline void SetPaletteColor(QWidget& widget, QPalette::ColorRole role, QColor color) {
    QPalette palette = widget.palette();
    palette.setColor(role, color);
    widget.setPalette(palette);
}

// A parent that shows a plain background of the given colour around its children.
inline void FillBackground(QWidget& widget, QColor color) {
    widget.setAutoFillBackground(true);
    SetPaletteColor(widget, QPalette::Window, color);
}

inline bool HasPixel(const QImage& image, QColor color) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}

QT_BEGIN_NAMESPACE
inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << "rgb(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}
QT_END_NAMESPACE
