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

} // namespace miran::sim
