#pragma once

#include "widgets/Color.h"

#include <QImage>
#include <QWidget>
#include <functional>

class QTimer;

namespace miran::widgets {

// A 17 x 17 signal lamp that shows ColorOn or ColorOff and can blink by itself. It paints
// only the round lamp; the parent's background shows around it.
class TLED : public QWidget {
    Q_OBJECT
public:
    explicit TLED(QWidget* parent = nullptr);
    ~TLED() override;

    bool Status() const { return status_; }
    void setStatus(bool on);
    TColor ColorOn() const { return colorOn_; }
    void setColorOn(TColor c);
    TColor ColorOff() const { return colorOff_; }
    void setColorOff(TColor c);
    // Blinking: Status toggles every Interval milliseconds; an Interval of 0 does not blink.
    bool Active() const { return active_; }
    void setActive(bool blinking);
    unsigned Interval() const;
    void setInterval(unsigned milliseconds);
    // The control's size follows the lamp image.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // The colour the lamp shows; ColorOn or ColorOff after every change of Status.
    TColor Color() const { return color_; }
    void setColor(TColor c);

    // Called with the lamp after every assignment of Status.
    std::function<void(TLED*)> OnStatusChange;

    // The lamp as currently drawn, before masking.
    const QImage& LedImage() const { return ledImage_; }
    // How often the lamp image has been built (an equal colour must not rebuild it).
    int RecolorCount() const { return recolorCount_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void RecolorLedImage();
    void UpdateBlinkTimer();
    void BlinkTick();

    QImage ledImage_;
    QImage ledMask_;
    QImage maskedLamp_;
    QTimer* blinkTimer_;
    TColor color_ = clLime;
    TColor colorOn_ = clLime;
    TColor colorOff_ = clRed;
    bool status_ = true;
    bool active_ = false;
    bool autoSize_ = false;
    int recolorCount_ = 0;
};

} // namespace miran::widgets
