#include "DeviceJob.h"

#include "OpenDiagnosis.h"
#include "TraceFormat.h"

namespace miran::cli {

namespace {

using nlohmann::json;

} // namespace

int BlockCount(const update::FirmwareImage& image) {
    if (image.EndAddress() <= update::kStartAddress)
        return 0;
    return static_cast<int>((image.EndAddress() - update::kStartAddress + update::kBlockSize - 1) /
                            update::kBlockSize);
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
    update::IdentifyResult identified = IdentifyOrFail();
    std::string digits =
        options_.usbSerial.value_or(update::AsMaskedUsbSerial(identified.usbSerial.value_or("")));
    observer_->SetUsbSerialText(digits);
    digits_ = update::SerialDigits(digits);
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
    const std::string expectedSerial = digits_.empty() ? "0000000000000" : digits_;
    const std::string expectedCaption =
        update::BiosCaption(image_.VersionMajor(), image_.VersionMinor(), image_.VersionPatch());
    // A Bios shown as "NO BIOS" comes without a serial text.
    const bool shownAsNoBios = expectedCaption == "NO BIOS";
    if (again.biosCaption != expectedCaption)
        throw Failure{kExitVerifyFailed, "Verification failed: installed version " +
                                             again.biosCaption.value_or("---") + ", expected " +
                                             expectedCaption};
    if (!shownAsNoBios && again.usbSerial != expectedSerial)
        throw Failure{kExitVerifyFailed, "Verification failed: serial text " + again.usbSerial.value_or("") +
                                             ", expected " + expectedSerial};
}

} // namespace miran::cli
