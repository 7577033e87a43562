#pragma once

#include "paint/Lamp.h"
#include "win32/ObjectWindow.h"

#include <functional>

namespace miran::win32 {

// A 17 x 17 signal lamp that shows ColorOn or ColorOff and can blink by itself (paint::Lamp draws it and
// keeps its rules). It paints only the round lamp; the parent's background shows around it.
class TLED : public ObjectWindow {
public:
    TLED(HWND parent, int left, int top);

    bool Status() const { return lamp_.Status(); }
    void setStatus(bool on);
    paint::TColor ColorOn() const { return lamp_.ColorOn(); }
    void setColorOn(paint::TColor c);
    paint::TColor ColorOff() const { return lamp_.ColorOff(); }
    void setColorOff(paint::TColor c);
    // Blinking: Status toggles every Interval milliseconds, unless the top-level window is minimised; an
    // Interval of 0 does not blink.
    bool Active() const { return lamp_.Active(); }
    void setActive(bool blinking);
    unsigned Interval() const { return lamp_.Interval(); }
    void setInterval(unsigned milliseconds);
    // The control's size follows the lamp image, whatever size it is given.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool on);
    // The colour the lamp shows; ColorOn or ColorOff after every change of Status.
    paint::TColor Color() const { return lamp_.Color(); }
    void setColor(paint::TColor c);

    // Called with the lamp after every assignment of Status.
    std::function<void(TLED*)> OnStatusChange;

    // How often the lamp image has been built (an equal colour must not rebuild it).
    int RecolorCount() const { return lamp_.RecolorCount(); }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void StatusAssigned(int recolorsBefore);
    void Repaint();
    void UpdateBlinkTimer();

    paint::Lamp lamp_;
    bool autoSize_ = false;
    bool timerRunning_ = false;
};

} // namespace miran::win32
