#pragma once

#include "DeviceSession.h"
#include "Interruption.h"
#include "Options.h"
#include "ParallelRun.h"
#include "RunLog.h"
#include "cli/Cli.h"
#include "update/FirmwareImage.h"

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace miran::cli {

// `update --watch`: until an interruption, every programmer that is plugged in is updated once, and verified
// when it comes back from its reboot. A programmer is known by its USB serial: once handled, it is left
// alone. The programmers due at a device change are worked on at once, one thread each; the controller is
// left alone meanwhile (as with --all), so one plugged in then waits until they have ended.
class Watch {
public:
    Watch(const Options& options, Environment& env, Interruption& interruption, DeviceSession& session,
          const update::FirmwareImage& image);

    // Returns the highest code of the programmers that failed; 130 when an update could not start.
    int Run();

private:
    enum class Stage { Updating, Rebooting, Verifying, Done };

    struct Programmer {
        std::unique_ptr<ParallelRun> run;
        Stage stage = Stage::Updating;
        bool gone = false;               // left the list after its update: the reboot
        hid::THidDevice* back = nullptr; // where it came back, for the verification
        double seconds = 0;
    };

    std::vector<Programmer*> Due();
    void Work(const std::vector<Programmer*>& due);
    void Conclude(Programmer& programmer);
    // An event on the way: a line on stderr, a JSON event with --json.
    void Tell(const std::string& serial, const std::string& event, const std::string& line);
    // An outcome: also a record in the log.
    void Report(const Programmer& programmer, const std::string& result, const std::string& message,
                const std::string& newVersion);
    int Summary();

    const Options& options_;
    Environment& env_;
    Interruption& interruption_;
    DeviceSession& session_;
    const update::FirmwareImage& image_;
    std::optional<RunLog> log_;
    std::mutex outMutex_;
    std::mutex errMutex_;
    std::map<std::string, Programmer> known_;
    int updated_ = 0;
    int verified_ = 0;
    int skipped_ = 0;
    int failed_ = 0;
    int worst_ = kExitOk;
    bool notStarted_ = false;
};

} // namespace miran::cli
