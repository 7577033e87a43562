#pragma once

#include "paint/Canvas.h"

#include <functional>

namespace miran::paint {

// The signal lamp without its control: the lamp image in the current colour, its mask, the
// status and colour rules and when blinking toggles. The lamp is drawn centred in the client
// area, only where the mask is black.
class Lamp {
public:
    // Recolours the image with a colour in RGB (a system colour looked up by the caller).
    using Resolver = std::function<TColor(TColor)>;
    explicit Lamp(Resolver resolve);

    bool Status() const { return status_; }
    // Runs fully even for the current value; returns whether the image was rebuilt.
    bool SetStatus(bool on);
    TColor ColorOn() const { return colorOn_; }
    bool SetColorOn(TColor c);
    TColor ColorOff() const { return colorOff_; }
    bool SetColorOff(TColor c);
    TColor Color() const { return color_; }
    // Returns whether the image was rebuilt (only for a different colour).
    bool SetColor(TColor c);
    // Builds the image again, after the system colours changed.
    void Recolor();

    bool Active() const { return active_; }
    void SetActive(bool blinking) { active_ = blinking; }
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds) { interval_ = milliseconds; }
    // Whether the blink timer runs: an interval of 0 would fire all the time, so it does not blink.
    bool Blinking() const { return active_ && interval_ > 0; }
    // A blink timer tick: toggles Status unless the application is minimised; returns whether it did.
    bool Tick(bool applicationMinimized);

    const Bitmap& Image() const { return image_; }
    int RecolorCount() const { return recolorCount_; }
    int Width() const { return image_.width; }
    int Height() const { return image_.height; }

    void Draw(Canvas& canvas, int clientWidth, int clientHeight) const;

private:
    Resolver resolve_;
    Bitmap mask_;
    Bitmap image_;
    TColor color_ = clLime;
    TColor colorOn_ = clLime;
    TColor colorOff_ = clRed;
    bool status_ = true;
    bool active_ = false;
    unsigned interval_ = 1000;
    int recolorCount_ = 0;
};

} // namespace miran::paint
