#include "TMsgBox.h"

#include "paint/MessageGlyph.h"

#include <QAbstractButton>
#include <QImage>

namespace miran::app {

namespace {

QPixmap Glyph(paint::MessageGlyph glyph) {
    const paint::Bitmap image = paint::DrawMessageGlyph(glyph);
    QImage result(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const paint::TColor c = image.At(x, y);
            result.setPixel(x, y, qRgb(c.Red(), c.Green(), c.Blue()));
        }
    }
    return QPixmap::fromImage(result);
}

} // namespace

TMsgBox::TMsgBox(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), img_(new QLabel(this)),
      infoLabel_(new QLabel("InfoLabel", this)), iconImg_{Glyph(paint::MessageGlyph::Exclamation),
                                                          Glyph(paint::MessageGlyph::Stop),
                                                          Glyph(paint::MessageGlyph::Information),
                                                          Glyph(paint::MessageGlyph::Question)} {
    setObjectName("MsgBox");
    setWindowTitle("MsgBox");
    setFixedSize(295, 123);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    img_->setObjectName("Img");
    img_->setGeometry(16, 16, 32, 32);
    img_->setAttribute(Qt::WA_TranslucentBackground);
    infoLabel_->setObjectName("InfoLabel");
    QFont labelFont("Verdana");
    labelFont.setPixelSize(11);
    infoLabel_->setFont(labelFont);
    infoLabel_->move(72, 8);
    infoLabel_->adjustSize();
}

void TMsgBox::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

// The window expects a button "But1"; without one there is nothing to focus.
void TMsgBox::FormShow() {
    if (auto* button = findChild<QAbstractButton*>("But1"))
        button->setFocus();
}

} // namespace miran::app
