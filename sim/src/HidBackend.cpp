#include "sim/HidBackend.h"

#include "RegularFile.h"
#include "hid/SystemHidPlatform.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/Recording.h"
#include "sim/ReplayPlatform.h"
#include "sim/SimulationFile.h"

#include <variant>

namespace miran::sim {

namespace {

// A recording or a simulation, told apart by the first line. Recordings of long sessions may be larger.
std::variant<std::vector<RecordedEvent>, std::vector<ProgrammerConfig>> LoadFile(const std::string& path) {
    const std::string text = ReadRegularFile(path, kMaxRecordingMiB);
    try {
        if (IsRecording(text))
            return ParseRecording(text);
        if (text.size() > (kMaxSimulationMiB << 20))
            throw std::runtime_error("larger than " + std::to_string(kMaxSimulationMiB) + " MiB");
        return ParseSimulation(text);
    } catch (const std::runtime_error& fault) {
        throw std::runtime_error(path + ": " + fault.what());
    }
}

} // namespace

HidBackend ChooseHidBackend(const std::optional<std::string>& simulation) {
    HidBackend backend;
    if (!simulation) {
        backend.platform = hid::CreateSystemHidPlatform();
        return backend;
    }
    std::vector<ProgrammerConfig> configs{DefaultProgrammer(0)};
    if (!simulation->empty()) {
        auto loaded = LoadFile(*simulation);
        if (auto* recording = std::get_if<std::vector<RecordedEvent>>(&loaded)) {
            backend.platform = std::make_shared<ReplayPlatform>(*recording);
            return backend;
        }
        configs = std::move(std::get<std::vector<ProgrammerConfig>>(loaded));
    }
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    backend.platform = platform;
    backend.bus = std::make_unique<SimulatedBus>(platform);
    for (ProgrammerConfig& config : configs)
        backend.programmers.push_back(backend.bus->PlugProgrammer(std::move(config)));
    return backend;
}

std::optional<std::string> SimulationOption(const std::vector<std::string>& arguments) {
    const std::string prefix = "--simulate=";
    for (const std::string& argument : arguments) {
        if (argument == "--simulate")
            return std::string();
        if (argument.rfind(prefix, 0) == 0)
            return argument.substr(prefix.size());
    }
    return std::nullopt;
}

} // namespace miran::sim
