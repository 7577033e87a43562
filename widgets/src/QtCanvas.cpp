#include "QtCanvas.h"

#include "widgets/Color.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <utility>

namespace miran::widgets {
namespace {

QString ToQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

paint::Font ToPaintFont(const QFont& font) {
    paint::Font result;
    result.family = font.family().toStdString();
    result.sizeInPixels = font.pointSize() <= 0;
    result.size = result.sizeInPixels ? font.pixelSize() : font.pointSize();
    result.bold = font.bold();
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikeOut = font.strikeOut();
    return result;
}

QtCanvas::QtCanvas(QPainter* painter, QFont base, QPalette palette)
    : painter_(painter), base_(std::move(base)), palette_(std::move(palette)) {}

// Only what differs from the control's font is set, so that an unchanged font stays exactly it.
QFont QtCanvas::ToQFont(const paint::Font& font) const {
    QFont result = base_;
    if (font.family != base_.family().toStdString())
        result.setFamily(QString::fromStdString(font.family));
    if (font.sizeInPixels && result.pixelSize() != font.size)
        result.setPixelSize(font.size);
    else if (!font.sizeInPixels && result.pointSize() != font.size)
        result.setPointSize(font.size);
    if (font.bold != result.bold())
        result.setBold(font.bold);
    if (font.italic != result.italic())
        result.setItalic(font.italic);
    if (font.underline != result.underline())
        result.setUnderline(font.underline);
    if (font.strikeOut != result.strikeOut())
        result.setStrikeOut(font.strikeOut);
    return result;
}

int QtCanvas::TextWidth(std::string_view text, const paint::Font& font) {
    return QFontMetrics(ToQFont(font)).horizontalAdvance(ToQString(text));
}

int QtCanvas::TextHeight(const paint::Font& font) {
    return QFontMetrics(ToQFont(font)).height();
}

void QtCanvas::FillRect(const paint::TRect& rect, paint::TColor color) {
    if (!rect.IsEmpty())
        painter_->fillRect(ToQRect(rect), Resolve(color, palette_));
}

void QtCanvas::DrawText(paint::TPoint topLeft, std::string_view text, const paint::Font& font,
                        paint::TColor color) {
    const QFont qfont = ToQFont(font);
    painter_->setFont(qfont);
    painter_->setPen(Resolve(color, palette_));
    painter_->drawText(topLeft.X, topLeft.Y + QFontMetrics(qfont).ascent(), ToQString(text));
}

void QtCanvas::DrawMaskedBitmap(paint::TPoint topLeft, const paint::Bitmap& image,
                                const paint::Bitmap& mask) {
    QImage masked(image.width, image.height, QImage::Format_ARGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool lamp = x < mask.width && y < mask.height && mask.At(x, y) == paint::clBlack;
            const QColor c = Resolve(image.At(x, y), palette_);
            masked.setPixel(x, y, lamp ? c.rgb() : qRgba(0, 0, 0, 0));
        }
    }
    painter_->drawImage(topLeft.X, topLeft.Y, masked);
}

} // namespace miran::widgets
