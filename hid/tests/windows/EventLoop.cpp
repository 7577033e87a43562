#include "EventLoop.h"

#include <windows.h>

namespace miran::hid::testing {

bool NotificationPending(const THidDeviceController& /*controller*/) {
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

void Pump(THidDeviceController& /*controller*/) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

} // namespace miran::hid::testing
