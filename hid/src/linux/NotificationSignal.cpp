#include "NotificationSignal.h"

#include "core/UniqueFd.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace miran::hid {

struct NotificationSignal::State {
    UniqueFd eventFd;
};

NotificationSignal::NotificationSignal()
    : state_(new State{CheckedFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK), "eventfd")}) {}

NotificationSignal::~NotificationSignal() = default;

int NotificationSignal::Fd() const {
    return state_->eventFd.Get();
}

// The owner watches the descriptor.
void NotificationSignal::SetCallback(std::function<void()> /*pending*/) {}

void NotificationSignal::Raise() {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(state_->eventFd.Get(), &one, sizeof one);
}

bool NotificationSignal::Consume() {
    std::uint64_t count = 0;
    return read(state_->eventFd.Get(), &count, sizeof count) == sizeof count && count > 0;
}

} // namespace miran::hid
