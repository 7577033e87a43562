#include "sim/HidBackend.h"

#include "hid/SystemHidPlatform.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulationFile.h"

namespace miran::sim {

HidBackend ChooseHidBackend(const std::optional<std::string>& simulation) {
    HidBackend backend;
    if (!simulation) {
        backend.platform = hid::CreateSystemHidPlatform();
        return backend;
    }
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    backend.platform = platform;
    backend.bus = std::make_unique<SimulatedBus>(platform);
    std::vector<ProgrammerConfig> configs = simulation->empty()
                                                ? std::vector<ProgrammerConfig>{DefaultProgrammer(0)}
                                                : LoadSimulationFile(*simulation);
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
