#pragma once

#include "hid/HidDevice.h"

namespace miran::update {

// Why a programmer cannot be opened for reading and writing, told by the system's error code of that open.
enum class OpenProblem {
    None,
    Gone,       // the node has gone or is another device's now: no matching programmer
    Permission, // the user may not open it: the udev rule fixes that
    Other,      // anything else (busy, I/O error): the system's message says what
};

OpenProblem ReadWriteProblem(const hid::THidDevice& device);

// The commands that give the logged-in user access to the programmers: install the udev rule, then apply it.
inline constexpr const char* kInstallRuleCommand =
    "miran-isp-up-cli --print-udev-rules | sudo tee /etc/udev/rules.d/70-miran-poly-mcu.rules";
inline constexpr const char* kApplyRuleCommand = "sudo udevadm control --reload && sudo udevadm trigger";

} // namespace miran::update
