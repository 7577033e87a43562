#pragma once

#include "hid/HidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/VirtualProgrammer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace miran::sim {

// The HID backend a front end runs over.
struct HidBackend {
    std::shared_ptr<hid::HidPlatform> platform;
    std::unique_ptr<SimulatedBus> bus;                           // only over virtual programmers
    std::vector<std::shared_ptr<VirtualProgrammer>> programmers; // those plugged into the bus
};

// The system's backend without a simulation. With one, virtual programmers: those the simulation file
// describes, or one with defaults when it names no file (empty); when the file is a recording
// (sim/Recording.h), the replay of its devices instead (no bus, no programmers). Throws std::runtime_error
// when the file cannot be read or parsed, std::system_error when the system refuses a backend.
HidBackend ChooseHidBackend(const std::optional<std::string>& simulation);

// The front ends' "--simulate" (virtual programmers with defaults: empty) or "--simulate=FILE"; none without.
std::optional<std::string> SimulationOption(const std::vector<std::string>& arguments);

} // namespace miran::sim
