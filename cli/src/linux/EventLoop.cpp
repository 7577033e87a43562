#include "EventLoop.h"

#include "Failure.h"
#include "cli/Cli.h"
#include "core/UniqueFd.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace miran::cli {

struct EventLoop::Wake {
    UniqueFd eventFd;
};

EventLoop::EventLoop(const Interruption& interruption)
    : interruption_(interruption),
      wake_(new Wake{CheckedFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd")}) {}

EventLoop::~EventLoop() = default;

void EventLoop::Post(std::function<void()> call) {
    {
        std::lock_guard lock(postedMutex_);
        posted_.push_back(std::move(call));
    }
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wake_->eventFd.Get(), &one, sizeof one);
}

bool EventLoop::Dispatch(hid::THidDeviceController& controller, std::chrono::milliseconds timeout) {
    pollfd fds[3] = {{static_cast<int>(interruption_.Signal()), POLLIN, 0},
                     {wake_->eventFd.Get(), POLLIN, 0},
                     {controller.NotificationFd(), POLLIN, 0}};
    const nfds_t count = fds[2].fd < 0 ? 2 : 3;
    // A signal that arrives meanwhile makes poll fail with EINTR; the next round sees its descriptor.
    if (poll(fds, count, static_cast<int>(timeout.count())) <= 0)
        return false;
    if (fds[0].revents & POLLIN)
        throw Failure{kExitInterrupted, "Interrupted"};
    if (fds[1].revents & POLLIN) {
        std::uint64_t posted;
        [[maybe_unused]] ssize_t got = read(wake_->eventFd.Get(), &posted, sizeof posted);
        RunPosted();
    }
    if (count == 3 && (fds[2].revents & POLLIN))
        controller.HandleNotification();
    return true;
}

} // namespace miran::cli
