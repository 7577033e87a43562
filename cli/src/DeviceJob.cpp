#include "DeviceJob.h"

#include "OpenDiagnosis.h"
#include "TraceFormat.h"

namespace miran::cli {

namespace {

using nlohmann::json;

// Why the identified programmer does not run the image with the serial digits; empty when it does.
std::string Difference(const update::IdentifyResult& identified, const update::FirmwareImage& image,
                       const std::string& digits) {
    const std::string expectedSerial = digits.empty() ? "0000000000000" : digits;
    const std::string expectedCaption = ImageVersion(image);
    // A Bios shown as "NO BIOS" comes without a serial text.
    const bool shownAsNoBios = expectedCaption == "NO BIOS";
    if (identified.biosCaption != expectedCaption)
        return "installed version " + identified.biosCaption.value_or("---") + ", expected " +
               expectedCaption;
    if (!shownAsNoBios && identified.usbSerial != expectedSerial)
        return "serial text " + identified.usbSerial.value_or("") + ", expected " + expectedSerial;
    return {};
}

} // namespace

int BlockCount(const update::FirmwareImage& image) {
    if (image.EndAddress() <= update::kStartAddress)
        return 0;
    return static_cast<int>((image.EndAddress() - update::kStartAddress + update::kBlockSize - 1) /
                            update::kBlockSize);
}

std::string ImageVersion(const update::FirmwareImage& image) {
    return update::BiosCaption(image.VersionMajor(), image.VersionMinor(), image.VersionPatch());
}

DeviceJob::DeviceJob(const Options& options, Environment& env, Interruption& interruption,
                     const update::FirmwareImage& image, hid::THidDevice& device, ProgressStyle style)
    : options_(options), interruption_(interruption), image_(image), serial_(device.SerialNumber()),
      instance_(device.PnPInfo().DeviceInstance) {
    if (!device.ReadWriteAccess())
        throw OpenFailure(device, serial_);
    observer_ =
        std::make_unique<CliObserver>(env, interruption, options.json, serial_, BlockCount(image), style);
    engine_ = std::make_unique<update::UpdateEngine>(image, *observer_);
    engine_->Channel().SetCurrentDevice(&device);
    if (options.trace)
        engine_->Channel().SetTransferTrace(
            [&env](const update::Transfer& t) { env.err << FormatTransfer(t) << '\n'; });
}

update::IdentifyResult DeviceJob::IdentifyOrFail() {
    observer_->SetStatusText("");
    update::IdentifyResult result = engine_->IdentifyDevice();
    if (!result.ok)
        throw Failure{kExitIdentifyFailed,
                      observer_->StatusText().empty() ? "Wrong Data" : observer_->StatusText()};
    return result;
}

json DeviceJob::Identify() {
    update::IdentifyResult result = IdentifyOrFail();
    return {{"serial", serial_},
            {"bios", result.biosCaption.value_or("---")},
            {"usb_serial", update::AsMaskedUsbSerial(result.usbSerial.value_or(""))}};
}

std::string DeviceJob::Update() {
    skipped_ = false;
    update::IdentifyResult identified = IdentifyOrFail();
    previous_ = identified.biosCaption.value_or("---");
    std::string digits =
        options_.usbSerial.value_or(update::AsMaskedUsbSerial(identified.usbSerial.value_or("")));
    observer_->SetUsbSerialText(digits);
    digits_ = update::SerialDigits(digits);
    // "NO BIOS" hides the version: such a programmer is never taken for current.
    if (options_.ifNeeded && previous_ != "NO BIOS" && Difference(identified, image_, digits_).empty()) {
        skipped_ = true;
        return kAlreadyCurrent;
    }
    if (interruption_.Requested())
        throw Failure{kExitInterrupted, "Interrupted: the update was not started"};
    update::UploadResult upload = engine_->StartUpdate();
    if (!upload.ok)
        throw Failure{kExitUploadFailed, upload.message};
    return upload.message;
}

void DeviceJob::Verify(hid::THidDevice& device) {
    if (!device.ReadWriteAccess())
        throw OpenFailure(device, serial_);
    engine_->Channel().SetCurrentDevice(&device);
    update::IdentifyResult again;
    try {
        again = IdentifyOrFail();
    } catch (const Failure& failure) {
        throw Failure{kExitVerifyFailed, "Verification failed: " + failure.message};
    }
    if (const std::string difference = Difference(again, image_, digits_); !difference.empty())
        throw Failure{kExitVerifyFailed, "Verification failed: " + difference};
}

} // namespace miran::cli
