#include "EventLoop.h"

#include <poll.h>

namespace miran::hid::testing {

bool NotificationPending(const THidDeviceController& controller) {
    pollfd fd{controller.NotificationFd(), POLLIN, 0};
    return poll(&fd, 1, 0) == 1;
}

void Pump(THidDeviceController& controller) {
    while (NotificationPending(controller))
        controller.HandleNotification();
}

} // namespace miran::hid::testing
