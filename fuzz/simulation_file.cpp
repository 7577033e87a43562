// --simulate files: parsed alone, then, when accepted, as the command line's programmers for update --all.
#include "CliRun.h"
#include "ScratchFile.h"
#include "sim/SimulationFile.h"

#include <stdexcept>

namespace {

// Beyond this every programmer only adds a thread doing the same work.
constexpr std::size_t kMostProgrammersRun = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<miran::sim::ProgrammerConfig> programmers;
    try {
        programmers = miran::sim::ParseSimulation(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::runtime_error&) {
        return 0; // a rejected file, with a message naming the fault
    }
    if (programmers.size() > kMostProgrammersRun)
        return 0;
    const miran::fuzz::ScratchFile file("simulation", data, size);
    miran::fuzz::RunCliChecked({"--simulate=" + file.Path(), "update", "--all", "--json"});
    return 0;
}
