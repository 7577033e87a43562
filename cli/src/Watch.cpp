#include "Watch.h"

#include "JsonText.h"

#include <algorithm>
#include <thread>

namespace miran::cli {

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

} // namespace

Watch::Watch(const Options& options, Environment& env, Interruption& interruption, DeviceSession& session,
             const update::FirmwareImage& image)
    : options_(options), env_(env), interruption_(interruption), session_(session), image_(image) {
    if (options.log)
        log_.emplace(*options.log);
}

int Watch::Run() {
    try {
        for (;;) {
            Work(Due());
            if (interruption_.Requested())
                break;
            // No end but the interruption: the hour only keeps the wait's arithmetic in range.
            while (!session_.WaitForChange(Clock::now() + std::chrono::hours(1))) {
            }
        }
    } catch (const Failure& failure) {
        if (failure.code != kExitInterrupted) // the watch's end while it waits
            throw;
    }
    return Summary();
}

std::vector<Watch::Programmer*> Watch::Due() {
    for (auto& [serial, programmer] : known_) {
        if (programmer.stage == Stage::Rebooting && !session_.FindBySerial(serial))
            programmer.gone = true;
    }
    std::vector<Programmer*> due;
    for (hid::THidDevice* device : session_.Programmers()) {
        const std::string serial = device->SerialNumber();
        auto [entry, fresh] = known_.try_emplace(serial);
        Programmer& programmer = entry->second;
        if (fresh) {
            programmer.run = std::make_unique<ParallelRun>(env_, outMutex_, errMutex_);
            programmer.run->serial = serial;
            Tell(serial, "plugged", "plugged in");
            try {
                programmer.run->job = std::make_unique<DeviceJob>(
                    options_, programmer.run->env, interruption_, image_, *device, ProgressStyle::None);
                due.push_back(&programmer);
            } catch (const Failure& failure) {
                programmer.run->code = failure.code;
                programmer.run->message = failure.message;
                Conclude(programmer);
            }
        } else if (programmer.stage == Stage::Rebooting &&
                   (programmer.gone || device->PnPInfo().DeviceInstance != programmer.run->job->Instance())) {
            programmer.stage = Stage::Verifying;
            programmer.back = device;
            Tell(serial, "back", "back from its reboot");
            due.push_back(&programmer);
        }
    }
    return due;
}

// No device change is handled until every thread has ended, so the devices stay as lent.
void Watch::Work(const std::vector<Programmer*>& due) {
    {
        std::vector<std::jthread> threads;
        for (Programmer* programmer : due) {
            threads.emplace_back([programmer] {
                ParallelRun& run = *programmer->run;
                const Clock::time_point start = Clock::now();
                Capture(run, [&] {
                    if (programmer->stage == Stage::Verifying)
                        run.job->Verify(*programmer->back);
                    else
                        run.message = run.job->Update();
                });
                programmer->seconds = std::chrono::duration<double>(Clock::now() - start).count();
            });
        }
    }
    for (Programmer* programmer : due)
        Conclude(*programmer);
}

void Watch::Conclude(Programmer& programmer) {
    const ParallelRun& run = *programmer.run;
    const Stage stage = programmer.stage;
    programmer.stage = Stage::Done;
    if (run.code == kExitInterrupted) {
        notStarted_ = true;
        Report(programmer, "interrupted", run.message, "");
    } else if (run.code != kExitOk) {
        ++failed_;
        worst_ = std::max(worst_, run.code);
        Report(programmer, "failed", run.message, "");
    } else if (stage == Stage::Verifying) {
        ++verified_;
        Report(programmer, "verified", "", ImageVersion(image_));
    } else if (run.job->Skipped()) {
        ++skipped_;
        Report(programmer, "skipped", kAlreadyCurrent, run.job->PreviousVersion());
    } else {
        ++updated_;
        Report(programmer, "updated", run.message, ImageVersion(image_));
        programmer.stage = Stage::Rebooting;
    }
}

void Watch::Tell(const std::string& serial, const std::string& event, const std::string& line) {
    env_.err << serial << ": " << line << '\n';
    if (options_.json)
        env_.out << JsonText(json({{"event", event}, {"serial", serial}})) << std::endl;
}

void Watch::Report(const Programmer& programmer, const std::string& result, const std::string& message,
                   const std::string& newVersion) {
    const DeviceJob* job = programmer.run->job.get();
    const RunRecord record{UtcNow(),
                           programmer.run->serial,
                           job ? job->PreviousVersion() : "",
                           newVersion,
                           job ? job->Digits() : "",
                           result,
                           programmer.seconds,
                           message};
    // The log first: what a crash would cut short is the output.
    if (log_)
        log_->Append(record);
    env_.err << record.serial << ": " << result << (message.empty() ? "" : " (" + message + ")") << '\n';
    if (options_.json) {
        json event = ToJson(record);
        event["event"] = result;
        env_.out << JsonText(event) << std::endl;
    }
}

int Watch::Summary() {
    const int code = worst_ != kExitOk ? worst_ : notStarted_ ? kExitInterrupted : kExitOk;
    env_.err << "Summary: " << updated_ << " updated, " << verified_ << " verified, " << skipped_
             << " skipped, " << failed_ << " failed\n";
    if (options_.json)
        env_.out << JsonText(ResultRecord(code, {{"updated", updated_},
                                                 {"verified", verified_},
                                                 {"skipped", skipped_},
                                                 {"failed", failed_}}))
                 << std::endl;
    return code;
}

} // namespace miran::cli
