#include "widgets/LED.h"

#include "QtCanvas.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace miran::widgets {

TLED::TLED(QWidget* parent)
    : QWidget(parent), lamp_([this](TColor c) { return ToTColor(Resolve(c, palette())); }) {
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(static_cast<int>(lamp_.Interval()));
    connect(blinkTimer_, &QTimer::timeout, this, &TLED::BlinkTick);
    resize(17, 17);
}

TLED::~TLED() {
    blinkTimer_->stop();
    blinkTimer_->disconnect(this);
}

void TLED::setStatus(bool on) {
    const int recolors = lamp_.RecolorCount();
    lamp_.SetStatus(on);
    StatusAssigned(recolors);
}

// A rebuilt lamp is shown at once; the callback hears of every assignment of Status.
void TLED::StatusAssigned(int recolorsBefore) {
    if (lamp_.RecolorCount() != recolorsBefore)
        repaint();
    if (OnStatusChange)
        OnStatusChange(this);
}

void TLED::setColorOn(TColor c) {
    if (lamp_.SetColorOn(c))
        repaint();
}

void TLED::setColorOff(TColor c) {
    if (lamp_.SetColorOff(c))
        repaint();
}

void TLED::setColor(TColor c) {
    if (lamp_.SetColor(c))
        repaint();
}

void TLED::setActive(bool blinking) {
    if (blinking == lamp_.Active())
        return; // restarting the timer would postpone the next toggle
    lamp_.SetActive(blinking);
    UpdateBlinkTimer();
}

void TLED::setInterval(unsigned milliseconds) {
    const unsigned interval = std::min<unsigned>(milliseconds, INT_MAX);
    if (interval == lamp_.Interval())
        return;
    lamp_.SetInterval(interval);
    blinkTimer_->stop();
    blinkTimer_->setInterval(static_cast<int>(interval));
    UpdateBlinkTimer();
}

void TLED::UpdateBlinkTimer() {
    if (lamp_.Blinking()) {
        if (!blinkTimer_->isActive())
            blinkTimer_->start();
    } else {
        blinkTimer_->stop();
    }
}

void TLED::setAutoSize(bool on) {
    if (on == autoSize_)
        return;
    autoSize_ = on;
    if (on) {
        setFixedSize(lamp_.Width(), lamp_.Height());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

QSize TLED::sizeHint() const {
    return {lamp_.Width(), lamp_.Height()};
}

QImage TLED::LedImage() const {
    const paint::Bitmap& image = lamp_.Image();
    QImage result(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x)
            result.setPixel(x, y, Resolve(image.At(x, y), palette()).rgb());
    }
    return result;
}

void TLED::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtCanvas canvas(&painter, font(), palette());
    lamp_.Draw(canvas, width(), height());
}

void TLED::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && lamp_.Color().IsSystem()) {
        lamp_.Recolor();
        repaint();
    }
}

void TLED::BlinkTick() {
    const int recolors = lamp_.RecolorCount();
    if (lamp_.Tick(window()->isMinimized()))
        StatusAssigned(recolors);
}

} // namespace miran::widgets
