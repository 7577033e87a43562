#pragma once

#include "paint/Lamp.h"
#include "widgets/Color.h"

#include <QImage>
#include <QWidget>
#include <functional>

class QTimer;

namespace miran::widgets {

// A 17 x 17 signal lamp that shows ColorOn or ColorOff and can blink by itself (paint::Lamp
// draws it and keeps its rules). It paints only the round lamp; the parent's background shows
// around it.
class TLED : public QWidget {
    Q_OBJECT
public:
    explicit TLED(QWidget* parent = nullptr);
    ~TLED() override;

    bool Status() const { return lamp_.Status(); }
    void setStatus(bool on);
    TColor ColorOn() const { return lamp_.ColorOn(); }
    void setColorOn(TColor c);
    TColor ColorOff() const { return lamp_.ColorOff(); }
    void setColorOff(TColor c);
    // Blinking: Status toggles every Interval milliseconds; an Interval of 0 does not blink.
    bool Active() const { return lamp_.Active(); }
    void setActive(bool blinking);
    unsigned Interval() const { return lamp_.Interval(); }
    void setInterval(unsigned milliseconds);
    // The control's size follows the lamp image.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // The colour the lamp shows; ColorOn or ColorOff after every change of Status.
    TColor Color() const { return lamp_.Color(); }
    void setColor(TColor c);

    // Called with the lamp after every assignment of Status.
    std::function<void(TLED*)> OnStatusChange;

    // The lamp as currently drawn, before masking.
    QImage LedImage() const;
    // How often the lamp image has been built (an equal colour must not rebuild it).
    int RecolorCount() const { return lamp_.RecolorCount(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void StatusAssigned(int recolorsBefore);
    void UpdateBlinkTimer();
    void BlinkTick();

    paint::Lamp lamp_;
    QTimer* blinkTimer_;
    bool autoSize_ = false;
};

} // namespace miran::widgets
