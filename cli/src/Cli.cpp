#include "cli/Cli.h"

#include "CliObserver.h"
#include "DeviceSession.h"
#include "Options.h"
#include "TraceFormat.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/ImageFile.h"
#include "update/UpdateEngine.h"

#include <nlohmann/json.hpp>

#include <ostream>

namespace miran::cli {

namespace {

using nlohmann::json;

constexpr const char* kVersion = "miran-isp-up-cli 1.0.0";

// Ends a command with a message and an exit code.
struct Failure {
    int code;
    std::string message;
};

int BlockCount(const update::FirmwareImage& image) {
    if (image.EndAddress() <= update::kStartAddress)
        return 0;
    return static_cast<int>((image.EndAddress() - update::kStartAddress + update::kBlockSize - 1) /
                            update::kBlockSize);
}

update::FirmwareImage ChosenImage(const Options& options) {
    if (!options.image)
        return update::FirmwareImage::OpenResource();
    try {
        return update::LoadImageFile(*options.image);
    } catch (const std::runtime_error& error) {
        throw Failure{kExitUsage, error.what()};
    }
}

int ImageInfo(const Options& options, Environment& env) {
    update::FirmwareImage image = ChosenImage(options);
    if (options.json) {
        json result = {{"magic", image.Magic()},
                       {"version", {image.VersionMajor(), image.VersionMinor(), image.VersionPatch()}},
                       {"version_text", image.VersionText()},
                       {"title", image.TitleText()},
                       {"info_text", image.InfoText()},
                       {"end_address", image.EndAddress()},
                       {"size", image.Size()},
                       {"blocks", BlockCount(image)}};
        env.out << result.dump() << std::endl;
        return kExitOk;
    }
    env.out << "Magic:       " << image.Magic() << '\n'
            << "Version:     " << int(image.VersionMajor()) << ' ' << int(image.VersionMinor()) << ' '
            << int(image.VersionPatch()) << '\n'
            << "VersionText: " << image.VersionText() << '\n'
            << "Title:       " << image.TitleText() << '\n'
            << "InfoText:    " << image.InfoText() << '\n'
            << "EndAddress:  " << image.EndAddress() << '\n'
            << "Size:        " << image.Size() << '\n'
            << "Blocks:      " << BlockCount(image) << '\n';
    return kExitOk;
}

std::shared_ptr<hid::HidPlatform> MakePlatform(const Options& options, std::unique_ptr<sim::SimulatedBus>& bus) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    if (!options.simulate)
        throw Failure{kExitNoDevice, "No programmer found (real devices need --simulate for now)"};
    bus = std::make_unique<sim::SimulatedBus>(platform);
    std::vector<sim::ProgrammerConfig> configs;
    try {
        configs = options.simulateFile ? sim::LoadSimulationFile(*options.simulateFile)
                                       : std::vector<sim::ProgrammerConfig>{sim::DefaultProgrammer(0)};
    } catch (const std::runtime_error& error) {
        throw Failure{kExitUsage, std::string("--simulate: ") + error.what()};
    }
    for (sim::ProgrammerConfig& config : configs)
        bus->PlugProgrammer(std::move(config));
    return platform;
}

hid::THidDevice* SelectDevice(const Options& options, DeviceSession& session) {
    const auto& programmers = session.Programmers();
    if (options.serial) {
        if (hid::THidDevice* device = session.FindBySerial(*options.serial))
            return device;
        throw Failure{kExitNoDevice, "No programmer with serial " + *options.serial + " found"};
    }
    if (programmers.empty())
        throw Failure{kExitNoDevice, "No programmer found"};
    if (programmers.size() > 1) {
        std::string serials;
        for (hid::THidDevice* device : programmers)
            serials += (serials.empty() ? "" : ", ") + device->SerialNumber();
        throw Failure{kExitUsage, "Several programmers attached (" + serials + "): choose one with --serial"};
    }
    return programmers.front();
}

// Identifies the device; throws the identification failure with its message.
update::IdentifyResult Identify(update::UpdateEngine& engine, CliObserver& observer) {
    observer.SetStatusText("");
    update::IdentifyResult result = engine.IdentifyDevice();
    if (!result.ok)
        throw Failure{kExitIdentifyFailed, observer.StatusText().empty() ? "Wrong Data" : observer.StatusText()};
    return result;
}

json Shown(hid::THidDevice& device, const update::IdentifyResult& result) {
    return {{"serial", device.SerialNumber()},
            {"bios", result.biosCaption.value_or("---")},
            {"usb_serial", update::AsMaskedUsbSerial(result.usbSerial.value_or(""))}};
}

void PrintShown(Environment& env, const json& shown) {
    env.out << "Serial:       " << shown["serial"].get<std::string>() << '\n'
            << "Bios-Version: " << shown["bios"].get<std::string>() << '\n'
            << "USB-Serial:   " << shown["usb_serial"].get<std::string>() << '\n';
}

class DeviceCommand {
public:
    DeviceCommand(const Options& options, Environment& env)
        : options_(options), env_(env), image_(ChosenImage(options)), session_(MakePlatform(options, bus_)) {
        session_.WaitFirstScan();
        device_ = SelectDevice(options, session_);
        serial_ = device_->SerialNumber();
        observer_ = std::make_unique<CliObserver>(env, options.json, serial_, BlockCount(image_));
        engine_ = std::make_unique<update::UpdateEngine>(image_, *observer_);
        engine_->Channel().SetCurrentDevice(device_);
        if (options.trace)
            engine_->Channel().SetTransferTrace([&env](const update::Transfer& t) { env.err << FormatTransfer(t) << '\n'; });
    }

    int Info() {
        json shown = Shown(*device_, Identify(*engine_, *observer_));
        if (options_.json) {
            json result = {{"event", "result"}, {"ok", true}, {"exit_code", kExitOk}};
            result.update(shown);
            env_.out << result.dump() << std::endl;
        } else
            PrintShown(env_, shown);
        return kExitOk;
    }

    int Update() {
        update::IdentifyResult identified = Identify(*engine_, *observer_);
        std::string digits =
            options_.usbSerial.value_or(update::AsMaskedUsbSerial(identified.usbSerial.value_or("")));
        observer_->SetUsbSerialText(digits);
        update::UploadResult upload = engine_->StartUpdate();
        if (!upload.ok)
            throw Failure{kExitUploadFailed, upload.message};
        if (options_.verify)
            Verify(LeadingDigits(digits));
        if (options_.json)
            env_.out << json({{"event", "result"},
                              {"ok", true},
                              {"exit_code", kExitOk},
                              {"serial", serial_},
                              {"message", upload.message},
                              {"verified", options_.verify}})
                            .dump()
                     << std::endl;
        else
            env_.out << serial_ << ": " << upload.message << (options_.verify ? ", verified" : "") << '\n';
        return kExitOk;
    }

    const std::string& Serial() const { return serial_; }

private:
    static std::string LeadingDigits(const std::string& text) {
        std::size_t n = 0;
        while (n < text.size() && n < 32 && text[n] >= '0' && text[n] <= '9')
            ++n;
        return text.substr(0, n);
    }

    // The programmer reboots after the closing command: wait for it to come back, then identify it again.
    void Verify(const std::string& digits) {
        const auto deadline = std::chrono::steady_clock::now() + options_.verifyTimeout;
        hid::THidDevice* device = nullptr;
        while (!device || !device->Attached()) {
            if (!session_.WaitForChange(deadline))
                throw Failure{kExitVerifyFailed, "Verification failed: " + serial_ + " did not come back"};
            device = session_.FindBySerial(serial_);
        }
        engine_->Channel().SetCurrentDevice(device);
        update::IdentifyResult again;
        try {
            again = Identify(*engine_, *observer_);
        } catch (const Failure& failure) {
            throw Failure{kExitVerifyFailed, "Verification failed: " + failure.message};
        }
        const std::string expectedSerial = digits.empty() ? "0000000000000" : digits;
        if (again.biosCaption != image_.DisplayVersion())
            throw Failure{kExitVerifyFailed, "Verification failed: installed version " +
                                                 again.biosCaption.value_or("---") + ", expected " +
                                                 image_.DisplayVersion()};
        if (again.usbSerial != expectedSerial)
            throw Failure{kExitVerifyFailed, "Verification failed: serial text " + again.usbSerial.value_or("") +
                                                 ", expected " + expectedSerial};
    }

    const Options& options_;
    Environment& env_;
    update::FirmwareImage image_;
    std::unique_ptr<sim::SimulatedBus> bus_;
    DeviceSession session_;
    hid::THidDevice* device_ = nullptr;
    std::string serial_;
    std::unique_ptr<CliObserver> observer_;
    std::unique_ptr<update::UpdateEngine> engine_;
};

} // namespace

int RunCli(const std::vector<std::string>& args, Environment& env) {
    Options options;
    try {
        options = ParseOptions(args);
    } catch (const UsageError& error) {
        env.err << "miran-isp-up-cli: " << error.message << "\nTry 'miran-isp-up-cli --help'.\n";
        return kExitUsage;
    }
    if (options.help) {
        env.out << kUsage;
        return kExitOk;
    }
    if (options.version) {
        env.out << kVersion << '\n';
        return kExitOk;
    }
    try {
        if (options.command == "image-info")
            return ImageInfo(options, env);
        DeviceCommand command(options, env);
        return options.command == "info" ? command.Info() : command.Update();
    } catch (const Failure& failure) {
        env.err << failure.message << '\n';
        if (options.json)
            env.out << json({{"event", "result"}, {"ok", false}, {"exit_code", failure.code},
                             {"message", failure.message}})
                           .dump()
                    << std::endl;
        return failure.code;
    }
}

} // namespace miran::cli
