#pragma once

#include <chrono>
#include <string>

namespace miran::update {

// What the engine needs from its front end (window, command line or test): it shows, waits and asks through
// this and never reaches into widgets.
class UpdateObserver {
public:
    virtual ~UpdateObserver() = default;

    // The single status line.
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgressMax(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    // Lets the front end handle pending events (repaint, clicks) during a long exchange.
    virtual void ProcessMessages() = 0;
    // The critical-stop sound.
    virtual void Beep() = 0;
    virtual void Sleep(std::chrono::milliseconds duration) = 0;
    virtual bool CtrlHeld() = 0;
    // The USB serial text the user sees, whose leading digits go into the image header.
    virtual std::string UsbSerialText() = 0;
};

} // namespace miran::update
