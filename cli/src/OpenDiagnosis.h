#pragma once

#include "Failure.h"
#include "hid/HidDevice.h"
#include "update/ProgrammerAccess.h"

#include <string>

namespace miran::cli {

using update::OpenProblem;
using update::ReadWriteProblem;

// How `list` shows whether the programmer can be opened: "ok", "permission denied" or the system's message.
std::string AccessText(const hid::THidDevice& device);

// The failure for a listed programmer (so not gone) that cannot be opened for reading and writing: exit 7
// with the fix for a missing permission, else the system's message with the node.
Failure OpenFailure(const hid::THidDevice& device, const std::string& serial);

} // namespace miran::cli
