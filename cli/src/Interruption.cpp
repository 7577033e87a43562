#include "Interruption.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace miran::cli {

namespace {

// What the handler may touch: lock-free atomics and a descriptor.
std::atomic<bool> gRequested{false};
std::atomic<bool> gNoticed{false};
std::atomic<int> gFd{-1};

void OnSignal(int) {
    const int savedErrno = errno;
    gRequested = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(gFd, &one, sizeof one);
    errno = savedErrno;
}

void Install(int signal, void (*handler)(int), struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Device transfers and file writes in progress are restarted, not failed with EINTR.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, &previous);
}

} // namespace

Interruption::Interruption() {
    gRequested = false;
    gNoticed = false;
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    gFd = fd;
    Install(SIGINT, OnSignal, previousInt_);
    Install(SIGTERM, OnSignal, previousTerm_);
    Install(SIGHUP, OnSignal, previousHup_);
    Install(SIGPIPE, SIG_IGN, previousPipe_);
}

Interruption::~Interruption() {
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGHUP, &previousHup_, nullptr);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
    close(gFd.exchange(-1));
}

bool Interruption::Requested() const {
    return gRequested;
}

int Interruption::Fd() const {
    return gFd;
}

bool Interruption::TakeNotice() {
    return gRequested && !gNoticed.exchange(true);
}

} // namespace miran::cli
