#include "cli/Cli.h"

#include "DeviceJob.h"
#include "DeviceSession.h"
#include "Failure.h"
#include "Interruption.h"
#include "JsonText.h"
#include "LineStream.h"
#include "OpenDiagnosis.h"
#include "Options.h"
#include "ParallelRun.h"
#include "PerSystem.h"
#include "Watch.h"
#include "hid/DebugLog.h"
#include "resources/Resources.h"
#include "sim/HidBackend.h"
#include "sim/RecordingPlatform.h"
#include "update/ImageFile.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <system_error>
#include <thread>

namespace miran::cli {

namespace {

using nlohmann::json;
using Clock = std::chrono::steady_clock;

constexpr const char* kVersion = "miran-isp-up-cli " MIRAN_VERSION;

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
        env.out << JsonText(result) << std::endl;
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

std::shared_ptr<hid::HidPlatform> ChosenPlatform(const Options& options, const Environment& env,
                                                 std::unique_ptr<sim::SimulatedBus>& bus) {
    if (!options.simulate && env.platform)
        return env.platform;
    sim::HidBackend backend;
    try {
        backend = sim::ChooseHidBackend(options.simulate ? std::optional(options.simulateFile.value_or(""))
                                                         : std::nullopt);
    } catch (const std::system_error&) {
        throw; // the system's failure, not the simulation's
    } catch (const std::runtime_error& error) {
        throw Failure{kExitUsage, std::string("--simulate: ") + error.what()};
    }
    bus = std::move(backend.bus);
    return backend.platform;
}

std::shared_ptr<hid::HidPlatform> MakePlatform(const Options& options, const Environment& env,
                                               std::unique_ptr<sim::SimulatedBus>& bus) {
    std::shared_ptr<hid::HidPlatform> platform = ChosenPlatform(options, env, bus);
    if (!options.record)
        return platform;
    try {
        return std::make_shared<sim::RecordingPlatform>(platform, *options.record);
    } catch (const std::runtime_error& error) {
        throw Failure{kExitUsage, std::string("--record: ") + error.what()};
    }
}

void PrintShown(Environment& env, const json& shown) {
    env.out << "Serial:       " << shown["serial"].get<std::string>() << '\n'
            << "Bios-Version: " << shown["bios"].get<std::string>() << '\n'
            << "USB-Serial:   " << shown["usb_serial"].get<std::string>() << '\n';
}

class DeviceCommand {
public:
    DeviceCommand(const Options& options, Environment& env, Interruption& interruption)
        : options_(options), env_(env), interruption_(interruption),
          session_(MakePlatform(options, env, bus_), interruption) {
        session_.WaitFirstScan();
        if (options.wait)
            session_.WaitUntil([this] { return Matching(); }, Clock::now() + *options.wait);
    }

    int List() {
        const auto& programmers = session_.Programmers();
        if (programmers.empty() && options_.wait)
            throw NotFound();
        std::optional<Failure> denied;
        for (hid::THidDevice* device : programmers) {
            const std::string serial = device->SerialNumber();
            const bool openable = device->ReadWriteAccess();
            if (!openable && !denied)
                denied = OpenFailure(*device, serial);
            if (options_.json)
                env_.out << JsonText(json({{"event", "device"},
                                           {"serial", serial},
                                           {"node", device->PnPInfo().DevicePath},
                                           {"openable", openable}}))
                         << std::endl;
            else
                env_.out << (serial.empty() ? "(no serial)" : serial) << "  " << device->PnPInfo().DevicePath
                         << "  " << AccessText(*device) << '\n';
        }
        if (denied)
            throw *denied;
        if (options_.json)
            env_.out << JsonText(ResultRecord(kExitOk, {{"count", programmers.size()}})) << std::endl;
        else if (programmers.empty())
            env_.err << NotFound().message << '\n';
        return kExitOk;
    }

    int Info() {
        update::FirmwareImage image = ChosenImage(options_);
        DeviceJob job(options_, env_, interruption_, image, SelectOne(), ProgressStyle::Bar);
        json shown = job.Identify();
        if (options_.json)
            env_.out << JsonText(ResultRecord(kExitOk, shown)) << std::endl;
        else
            PrintShown(env_, shown);
        return kExitOk;
    }

    int Update() {
        update::FirmwareImage image = ChosenImage(options_);
        if (options_.watch)
            return Watch(options_, env_, interruption_, session_, image).Run();
        if (options_.all)
            return UpdateAll(image);
        DeviceJob job(options_, env_, interruption_, image, SelectOne(), ProgressStyle::Bar);
        std::string message = job.Update();
        const bool verified = options_.verify && !job.Skipped() &&
                              VerifyUnlessInterrupted(job, Clock::now() + options_.verifyTimeout);
        ReportUpdated(env_, job, message, verified);
        return kExitOk;
    }

private:
    bool Matching() const {
        if (options_.serial)
            return session_.FindBySerial(*options_.serial) != nullptr;
        return !session_.Programmers().empty();
    }

    Failure NotFound() const {
        std::string message = options_.serial ? "No programmer with serial " + *options_.serial + " found"
                                              : std::string("No programmer found");
        if (!session_.Available())
            message += NoHidAccessNote();
        return {kExitNoDevice, message};
    }

    hid::THidDevice& SelectOne() {
        const auto& programmers = session_.Programmers();
        if (options_.serial) {
            RefuseSharedSerials(*options_.serial);
            if (hid::THidDevice* device = session_.FindBySerial(*options_.serial))
                return *device;
            throw NotFound();
        }
        if (programmers.empty())
            throw NotFound();
        if (programmers.size() > 1) {
            std::string serials;
            for (hid::THidDevice* device : programmers) {
                const std::string serial = device->SerialNumber();
                serials +=
                    (serials.empty() ? "" : ", ") + (serial.empty() ? std::string("(no serial)") : serial);
            }
            throw Failure{kExitUsage,
                          "Several programmers attached (" + serials + "): choose one with --serial"};
        }
        return *programmers.front();
    }

    // A serial that several attached programmers carry cannot choose one of them, nor tell which came back.
    void RefuseSharedSerials(const std::string& serial) const {
        std::string nodes;
        int count = 0;
        for (hid::THidDevice* device : session_.Programmers()) {
            if (device->SerialNumber() == serial)
                nodes += (count++ ? ", " : "") + device->PnPInfo().DevicePath;
        }
        if (count > 1)
            throw Failure{kExitUsage, "Several programmers attached with serial " +
                                          (serial.empty() ? std::string("(no serial)") : serial) + " (" +
                                          nodes + "): cannot tell them apart, leave only one attached"};
    }

    // False when an interruption came before or while waiting for the programmer; the update itself ended.
    bool VerifyUnlessInterrupted(DeviceJob& job, Clock::time_point deadline) {
        if (interruption_.Requested())
            return false;
        try {
            Verify(job, deadline);
            return true;
        } catch (const Failure& failure) {
            if (failure.code != kExitInterrupted)
                throw;
            return false;
        }
    }

    // The programmer reboots after the closing command: wait for it to come back under a new instance, then
    // identify it again.
    void Verify(DeviceJob& job, Clock::time_point deadline) {
        hid::THidDevice* device = nullptr;
        bool back = session_.WaitUntil(
            [&] {
                device = session_.FindBySerial(job.Serial());
                return device && device->PnPInfo().DeviceInstance != job.Instance();
            },
            deadline);
        if (!back)
            throw Failure{kExitVerifyFailed, "Verification failed: " + job.Serial() + " did not come back"};
        job.Verify(*device);
    }

    void ReportUpdated(Environment& env, const DeviceJob& job, const std::string& message, bool verified) {
        if (options_.json) {
            json fields = {{"serial", job.Serial()}, {"message", message}, {"verified", verified}};
            if (options_.ifNeeded)
                fields["skipped"] = job.Skipped();
            env.out << JsonText(ResultRecord(kExitOk, fields)) << std::endl;
        } else {
            env.out << job.Serial() << ": " << message << (verified ? ", verified" : "") << '\n';
        }
    }

    // Every attached programmer at once, one engine and one thread each. The controller is left alone
    // meanwhile (no notification is handled until every thread has ended), so the devices stay as lent.
    // After an interruption, programmers whose upload has not started are skipped and reported.
    int UpdateAll(const update::FirmwareImage& image) {
        const auto& programmers = session_.Programmers();
        if (programmers.empty())
            throw NotFound();
        if (options_.verify) {
            for (hid::THidDevice* device : programmers)
                RefuseSharedSerials(device->SerialNumber());
        }
        std::mutex outMutex;
        std::mutex errMutex;
        std::vector<std::unique_ptr<ParallelRun>> runs;
        for (hid::THidDevice* device : programmers) {
            auto run = std::make_unique<ParallelRun>(env_, outMutex, errMutex);
            run->serial = device->SerialNumber();
            try {
                run->job = std::make_unique<DeviceJob>(options_, run->env, interruption_, image, *device,
                                                       ProgressStyle::Lines);
            } catch (const Failure& failure) {
                run->code = failure.code;
                run->message = failure.message;
            }
            runs.push_back(std::move(run));
        }
        {
            std::vector<std::jthread> threads;
            for (auto& run : runs) {
                if (run->job)
                    threads.emplace_back(
                        [&run = *run] { Capture(run, [&] { run.message = run.job->Update(); }); });
            }
        }
        const Clock::time_point deadline = Clock::now() + options_.verifyTimeout;
        int worst = kExitOk;
        bool skipped = false;
        for (auto& run : runs) {
            bool verified = false;
            if (options_.verify && run->job && run->code == kExitOk && !run->job->Skipped())
                Capture(*run, [&] { verified = VerifyUnlessInterrupted(*run->job, deadline); });
            if (run->code == kExitOk) {
                ReportUpdated(env_, *run->job, run->message, verified);
            } else {
                env_.err << run->serial << ": " << run->message << '\n';
                if (options_.json)
                    env_.out << JsonText(ResultRecord(run->code,
                                                      {{"serial", run->serial}, {"message", run->message}}))
                             << std::endl;
            }
            if (run->code == kExitInterrupted)
                skipped = true;
            else
                worst = std::max(worst, run->code);
        }
        // A failure's own code tells more than the interruption.
        return worst == kExitOk && skipped ? kExitInterrupted : worst;
    }

    const Options& options_;
    Environment& env_;
    Interruption& interruption_;
    std::unique_ptr<sim::SimulatedBus> bus_;
    DeviceSession session_;
};

void Report(const Options& options, Environment& env, const Failure& failure, bool toErr = true) {
    if (toErr)
        env.err << failure.message << '\n';
    if (options.json)
        env.out << JsonText(ResultRecord(failure.code, {{"message", failure.message}})) << std::endl;
}

int RunCommand(const Options& options, Environment& env, Interruption& interruption) {
    if (options.help) {
        env.out << kUsage;
        return kExitOk;
    }
    if (options.version) {
        env.out << kVersion << '\n';
        return kExitOk;
    }
    if (options.printUdevRules)
        return PrintUdevRules(env);
    if (options.command == "image-info")
        return ImageInfo(options, env);
    DeviceCommand command(options, env, interruption);
    if (options.command == "list")
        return command.List();
    return options.command == "info" ? command.Info() : command.Update();
}

} // namespace

namespace {

// With --debug the HID layer's decisions go to stderr while the command runs.
class DebugToErr {
public:
    DebugToErr(bool debug, std::ostream& err) : debug_(debug) {
        if (debug_)
            hid::SetDebugSink([&err](const std::string& line) { err << line << '\n'; });
    }
    ~DebugToErr() {
        if (debug_)
            hid::SetDebugSink({});
    }
    DebugToErr(const DebugToErr&) = delete;
    DebugToErr& operator=(const DebugToErr&) = delete;

private:
    bool debug_;
};

} // namespace

int RunCli(const std::vector<std::string>& args, Environment& env) {
    Options options;
    try {
        options = ParseOptions(args);
    } catch (const UsageError& error) {
        env.err << "miran-isp-up-cli: " << error.what() << "\nTry 'miran-isp-up-cli --help'.\n";
        return kExitUsage;
    }
    DebugToErr debugLog(options.debug, env.err);
    Interruption interruption;
    int code = kExitOk;
    try {
        code = RunCommand(options, env, interruption);
    } catch (const Failure& failure) {
        Report(options, env, failure);
        return failure.code;
    } catch (const std::exception& error) {
        Report(options, env, {kExitUnexpected, std::string("Unexpected error: ") + error.what()});
        return kExitUnexpected;
    }
    // The watch ends by an interruption; its code is its programmers'.
    if (code == kExitOk && interruption.Requested() && !options.watch) {
        // Said already if an upload was under way when the signal came.
        Report(options, env, {kExitInterrupted, "Interrupted"}, interruption.TakeNotice());
        return kExitInterrupted;
    }
    return code;
}

} // namespace miran::cli
