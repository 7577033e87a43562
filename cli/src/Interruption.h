#pragma once

#include <csignal>

namespace miran::cli {

// SIGINT, SIGTERM and SIGHUP must not cut a flash halfway: while an Interruption exists they only note the
// request and wake whatever waits on Fd(), and the command line decides when to stop. SIGPIPE is ignored
// meanwhile, so that a closed output is a write error and not the end of an upload. One at a time.
class Interruption {
public:
    Interruption();
    ~Interruption();

    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    bool Requested() const;
    // Readable from the first signal on.
    int Fd() const;
    // True for the first caller after a signal, which tells the user; false before a signal and after.
    bool TakeNotice();

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
    struct sigaction previousHup_ {};
    struct sigaction previousPipe_ {};
};

} // namespace miran::cli
