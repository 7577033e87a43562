#pragma once

#include "cli/Cli.h"
#include "update/UpdateObserver.h"

#include <string>

namespace miran::cli {

// Shows the engine's progress on the command line: a bar on a terminal's stderr, or JSON progress events.
class CliObserver : public update::UpdateObserver {
public:
    CliObserver(Environment& env, bool json, std::string deviceSerial, int blocks);

    const std::string& StatusText() const { return status_; }
    void SetUsbSerialText(std::string text) { usbSerial_ = std::move(text); }

    void SetStatusText(const std::string& text) override { status_ = text; }
    void SetProgressMax(int maximum) override { maximum_ = maximum; }
    void SetProgressPosition(int position) override;
    void ProcessMessages() override {}
    void Beep() override;
    void Sleep(std::chrono::milliseconds duration) override { env_.sleep(duration); }
    bool CtrlHeld() override { return false; }
    std::string UsbSerialText() override { return usbSerial_; }

private:
    Environment& env_;
    bool json_;
    std::string deviceSerial_;
    int blocks_;
    int block_ = 0;
    int maximum_ = 0;
    bool barShown_ = false;
    std::string status_;
    std::string usbSerial_;
};

} // namespace miran::cli
