#pragma once

#include <cstdint>
#include <memory>

namespace miran::cli {

// A request to stop must not cut a flash halfway: while an Interruption exists, SIGINT, SIGTERM and SIGHUP
// (Linux) or Ctrl+C, Ctrl+Break and closing the console (Windows) only note the request and set Signal(),
// and the command line decides when to stop. On Linux SIGPIPE is ignored meanwhile, so that a closed output
// is a write error and not the end of an upload. One at a time.
class Interruption {
public:
    Interruption();
    ~Interruption();

    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    bool Requested() const;
    // Set from the first request on: a readable descriptor on Linux, a signalled event HANDLE on Windows.
    std::intptr_t Signal() const;
    // True for the first caller after a request, which tells the user; false before a request and after.
    bool TakeNotice();

private:
    struct Previous; // the handlers it replaced
    std::unique_ptr<Previous> previous_;
};

} // namespace miran::cli
