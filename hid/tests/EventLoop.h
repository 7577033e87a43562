#pragma once

#include "hid/HidDeviceController.h"

namespace miran::hid::testing {

// The owner's event loop as each system runs it: on Linux the test watches the notification descriptor and
// calls HandleNotification; on Windows the main thread's messages are dispatched and the platform's window
// calls it.
bool NotificationPending(const THidDeviceController& controller);
// Runs the loop until no notification is pending.
void Pump(THidDeviceController& controller);

} // namespace miran::hid::testing
