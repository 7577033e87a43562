#include "TMsgBox.h"

#include <QAbstractButton>
#include <QPainter>

namespace miran::app {

namespace {

// A 32 x 32 glyph on black: a sign in a bubble outline, or a red disc with a cross.
QPixmap Glyph(QChar sign, bool stop) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::black);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (stop) {
        painter.setBrush(Qt::red);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(2, 2, 28, 28);
        painter.setPen(QPen(Qt::black, 4));
        painter.drawLine(10, 10, 22, 22);
        painter.drawLine(22, 10, 10, 22);
        return pixmap;
    }
    painter.setPen(QPen(Qt::gray, 2));
    painter.drawRoundedRect(3, 3, 26, 20, 6, 6);
    painter.drawLine(10, 23, 8, 29);
    QFont font("Verdana");
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::blue);
    painter.drawText(QRect(3, 3, 26, 20), Qt::AlignCenter, sign);
    return pixmap;
}

} // namespace

TMsgBox::TMsgBox(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), img_(new QLabel(this)),
      infoLabel_(new QLabel("InfoLabel", this)),
      iconImg_{Glyph('!', false), Glyph(' ', true), Glyph('i', false), Glyph('?', false)} {
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
