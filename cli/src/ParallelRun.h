#pragma once

#include "DeviceJob.h"
#include "Failure.h"
#include "LineStream.h"
#include "cli/Cli.h"

#include <exception>
#include <memory>
#include <mutex>
#include <string>

namespace miran::cli {

// A programmer's part of a command that works on several at once: its own output streams, so that the lines
// of the programmers running at once never mix, and its outcome.
struct ParallelRun {
    ParallelRun(Environment& shared, std::mutex& outMutex, std::mutex& errMutex)
        : out(shared.out, outMutex), err(shared.err, errMutex), env{out, err, false, shared.sleep} {}

    LineStream out;
    LineStream err;
    Environment env;
    std::string serial;
    std::unique_ptr<DeviceJob> job;
    int code = kExitOk;
    std::string message;
};

// Runs a programmer's work on a thread of its own. Nothing may escape the thread: that would abort the
// process in the middle of other uploads.
template <class Work> void Capture(ParallelRun& run, const Work& work) {
    try {
        work();
    } catch (const Failure& failure) {
        run.code = failure.code;
        run.message = failure.message;
    } catch (const std::exception& error) {
        run.code = kExitUnexpected;
        run.message = std::string("Unexpected error: ") + error.what();
    }
}

} // namespace miran::cli
