#pragma once

#include "Interruption.h"
#include "cli/Cli.h"
#include "update/UpdateObserver.h"

#include <string>

namespace miran::cli {

// How the progress of an upload shows on stderr (JSON progress events go to stdout in any case).
enum class ProgressStyle {
    Bar,   // one bar redrawn in place, on a terminal only
    Lines, // a line per block starting with the device's serial, for several devices at once
    None,  // nothing per block, where a line per event tells enough
};

// Shows the engine's progress on the command line: a bar or lines on stderr, or JSON progress events. Where
// the engine lets pending events in, it tells the user once that an interruption waits for the upload.
class CliObserver : public update::UpdateObserver {
public:
    CliObserver(Environment& env, Interruption& interruption, bool json, std::string deviceSerial, int blocks,
                ProgressStyle style = ProgressStyle::Bar);

    const std::string& StatusText() const { return status_; }
    void SetUsbSerialText(std::string text) { usbSerial_ = std::move(text); }

    void SetStatusText(const std::string& text) override { status_ = text; }
    void SetProgressMax(int maximum) override { maximum_ = maximum; }
    void SetProgressPosition(int position) override;
    void ProcessMessages() override;
    void Beep() override;
    void Sleep(std::chrono::milliseconds duration) override { env_.sleep(duration); }
    bool CtrlHeld() override { return false; }
    std::string UsbSerialText() override { return usbSerial_; }

private:
    Environment& env_;
    Interruption& interruption_;
    bool json_;
    ProgressStyle style_;
    std::string deviceSerial_;
    int blocks_;
    int block_ = 0;
    int maximum_ = 0;
    bool barShown_ = false;
    std::string status_;
    std::string usbSerial_;
};

} // namespace miran::cli
