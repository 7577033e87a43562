#include "Interruption.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace miran::cli {

struct Interruption::Previous {
    struct sigaction interrupt {};
    struct sigaction terminate {};
    struct sigaction hangUp {};
    struct sigaction brokenPipe {};
};

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

Interruption::Interruption() : previous_(std::make_unique<Previous>()) {
    gRequested = false;
    gNoticed = false;
    // Never drained: it stays readable from the first signal on.
    const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    gFd = fd;
    Install(SIGINT, OnSignal, previous_->interrupt);
    Install(SIGTERM, OnSignal, previous_->terminate);
    Install(SIGHUP, OnSignal, previous_->hangUp);
    Install(SIGPIPE, SIG_IGN, previous_->brokenPipe);
}

Interruption::~Interruption() {
    sigaction(SIGINT, &previous_->interrupt, nullptr);
    sigaction(SIGTERM, &previous_->terminate, nullptr);
    sigaction(SIGHUP, &previous_->hangUp, nullptr);
    sigaction(SIGPIPE, &previous_->brokenPipe, nullptr);
    close(gFd.exchange(-1));
}

bool Interruption::Requested() const {
    return gRequested;
}

std::intptr_t Interruption::Signal() const {
    return gFd;
}

bool Interruption::TakeNotice() {
    return gRequested && !gNoticed.exchange(true);
}

} // namespace miran::cli
