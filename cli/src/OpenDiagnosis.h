#pragma once

#include "Failure.h"
#include "hid/HidDevice.h"

#include <string>

namespace miran::cli {

// Why a programmer cannot be opened for reading and writing, told by the system's error code of that open.
enum class OpenProblem {
    None,
    Gone,       // the node has gone or is another device's now: no matching programmer
    Permission, // the user may not open it: the udev rule fixes that
    Other,      // anything else (busy, I/O error): the system's message says what
};

OpenProblem ReadWriteProblem(const hid::THidDevice& device);

// How `list` shows whether the programmer can be opened: "ok", "permission denied" or the system's message.
std::string AccessText(const hid::THidDevice& device);

// The failure for a listed programmer (so not gone) that cannot be opened for reading and writing: exit 7
// with the fix for a missing permission, else the system's message with the node.
Failure OpenFailure(const hid::THidDevice& device, const std::string& serial);

} // namespace miran::cli
