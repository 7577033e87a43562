#pragma once

#include "sim/ProgrammerConfig.h"

#include <cstdint>
#include <string>
#include <vector>

namespace miran::sim {

inline constexpr std::uintmax_t kMaxSimulationMiB = 1;

// The programmers of a simulation, from JSON: {"devices":[{...}, ...]}; every field of a device is optional
// ("serial", "info", "unique_id", "bios", "fail_transfer", "unplug_at_transfer", "status", "reply_length",
// "no_permission", "plug_after_ms"). Throws std::runtime_error with a message naming the offending field.
std::vector<ProgrammerConfig> ParseSimulation(const std::string& json);
std::vector<ProgrammerConfig> LoadSimulationFile(const std::string& path);

// The configuration of device number index (from 0) when nothing is given: distinct serials and ids.
ProgrammerConfig DefaultProgrammer(int index);

} // namespace miran::sim
