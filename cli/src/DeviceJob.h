#pragma once

#include "CliObserver.h"
#include "Failure.h"
#include "Interruption.h"
#include "Options.h"
#include "cli/Cli.h"
#include "hid/HidDevice.h"
#include "update/FirmwareImage.h"
#include "update/UpdateEngine.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

namespace miran::cli {

// Number of 512-byte blocks the upload of the image sends.
int BlockCount(const update::FirmwareImage& image);
// The image's version as identification shows an installed one.
std::string ImageVersion(const update::FirmwareImage& image);

// What Update() returns when --if-needed found the programmer current.
inline constexpr const char* kAlreadyCurrent = "already current";

// The work on one programmer: identification, update and verification, each reporting failure as a Failure
// with the exit code it stands for. Several jobs can run at once, one per thread, each on its own device.
class DeviceJob {
public:
    DeviceJob(const Options& options, Environment& env, Interruption& interruption,
              const update::FirmwareImage& image, hid::THidDevice& device, ProgressStyle style);

    const std::string& Serial() const { return serial_; }
    const std::string& Instance() const { return instance_; }
    // What the last Update() found installed, and the serial digits it wrote (or found, when skipped).
    const std::string& PreviousVersion() const { return previous_; }
    const std::string& Digits() const { return digits_; }
    // Whether the last Update() wrote nothing because of --if-needed.
    bool Skipped() const { return skipped_; }

    // What the window would show after identification: serial, Bios version, USB serial text.
    nlohmann::json Identify();
    // Identifies and uploads; returns the upload's closing message, or kAlreadyCurrent when --if-needed
    // finds nothing to do. After an interruption no upload starts (Failure kExitInterrupted); one that has
    // started runs to its end.
    std::string Update();
    // Identifies the programmer again after it came back on `device` and checks version and serial digits.
    void Verify(hid::THidDevice& device);

private:
    update::IdentifyResult IdentifyOrFail();

    const Options& options_;
    Interruption& interruption_;
    const update::FirmwareImage& image_;
    std::string serial_;
    std::string instance_;
    std::string previous_;
    std::string digits_;
    bool skipped_ = false;
    std::unique_ptr<CliObserver> observer_;
    std::unique_ptr<update::UpdateEngine> engine_;
};

} // namespace miran::cli
