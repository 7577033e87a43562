#include "widgets/LED.h"

#include "widgets/Bitmap.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace miran::widgets {
namespace {

constexpr QRgb kLampBody = qRgb(0, 255, 0);

} // namespace

TLED::TLED(QWidget* parent) : QWidget(parent) {
    ledMask_ = LoadBitmapResource("LEDMASK").convertToFormat(QImage::Format_RGB32);
    blinkTimer_ = new QTimer(this);
    blinkTimer_->setInterval(1000);
    connect(blinkTimer_, &QTimer::timeout, this, &TLED::BlinkTick);
    RecolorLedImage();
    resize(17, 17);
}

TLED::~TLED() {
    blinkTimer_->stop();
    blinkTimer_->disconnect(this);
}

void TLED::setStatus(bool on) {
    status_ = on;
    setColor(on ? colorOn_ : colorOff_);
    if (OnStatusChange)
        OnStatusChange(this);
}

void TLED::setColorOn(TColor c) {
    colorOn_ = c;
    if (status_)
        setColor(c);
}

void TLED::setColorOff(TColor c) {
    colorOff_ = c;
    if (!status_)
        setColor(c);
}

void TLED::setActive(bool blinking) {
    if (blinking == active_)
        return; // restarting the timer would postpone the next toggle
    active_ = blinking;
    UpdateBlinkTimer();
}

unsigned TLED::Interval() const {
    return static_cast<unsigned>(blinkTimer_->interval());
}

void TLED::setInterval(unsigned milliseconds) {
    const int interval = static_cast<int>(std::min<unsigned>(milliseconds, INT_MAX));
    if (interval == blinkTimer_->interval())
        return;
    blinkTimer_->stop();
    blinkTimer_->setInterval(interval);
    UpdateBlinkTimer();
}

// An interval of 0 would fire on every pass of the event loop, so it stops blinking.
void TLED::UpdateBlinkTimer() {
    if (active_ && blinkTimer_->interval() > 0) {
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
        setFixedSize(ledImage_.size());
    } else {
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void TLED::setColor(TColor c) {
    if (c == color_)
        return;
    color_ = c;
    RecolorLedImage();
}

QSize TLED::sizeHint() const {
    return ledImage_.size();
}

void TLED::RecolorLedImage() {
    ledImage_ = LoadBitmapResource("LEDGREEN").convertToFormat(QImage::Format_RGB32);
    const QRgb lampColor = color_.Resolve(palette()).rgb();
    for (int x = 0; x < ledImage_.width(); ++x) {
        for (int y = 0; y < ledImage_.height(); ++y) {
            if (ledImage_.pixel(x, y) == kLampBody)
                ledImage_.setPixel(x, y, lampColor);
        }
    }
    // Lamp pixels where the mask is black; elsewhere the parent's background stays visible.
    maskedLamp_ = QImage(ledImage_.size(), QImage::Format_ARGB32);
    for (int y = 0; y < ledImage_.height(); ++y) {
        for (int x = 0; x < ledImage_.width(); ++x) {
            const bool lamp = qGray(ledMask_.pixel(x, y)) == 0;
            maskedLamp_.setPixel(x, y, lamp ? ledImage_.pixel(x, y) : qRgba(0, 0, 0, 0));
        }
    }
    ++recolorCount_;
    repaint();
}

void TLED::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage((width() - maskedLamp_.width()) / 2, (height() - maskedLamp_.height()) / 2,
                             maskedLamp_);
}

void TLED::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && color_.IsSystem())
        RecolorLedImage();
}

void TLED::BlinkTick() {
    if (!window()->isMinimized())
        setStatus(!status_);
}

} // namespace miran::widgets
