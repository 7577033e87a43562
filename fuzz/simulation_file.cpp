// --simulate files: parsed alone, then, when accepted, as the command line's programmers for update --all.
// A number the file gives must be taken as written: a value out of its field's range is refused, never
// wrapped, rounded or taken from a boolean. A recording must read back as it is written again, and replay
// to a documented end.
#include "CliRun.h"
#include "ScratchFile.h"
#include "sim/Recording.h"
#include "sim/SimulationFile.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

using nlohmann::json;

namespace {

// Beyond this every programmer only adds a thread doing the same work.
constexpr std::size_t kMostProgrammersRun = 8;

void ExpectTakenAsWritten(const json& device, const char* field, std::optional<long long> taken) {
    if (!device.contains(field))
        return;
    const json& written = device[field];
    if (!written.is_number() || !taken || written.get<double>() != static_cast<double>(*taken)) {
        std::fprintf(stderr, "\"%s\": %s was taken as %lld\n", field, written.dump().c_str(),
                     taken.value_or(-1));
        std::abort();
    }
}

void ExpectNumbersTakenAsWritten(const json& device, const miran::sim::ProgrammerConfig& config) {
    ExpectTakenAsWritten(device, "fail_transfer", config.failTransfer);
    ExpectTakenAsWritten(device, "unplug_at_transfer", config.unplugAtTransfer);
    ExpectTakenAsWritten(device, "plug_after_ms", config.plugAfter.count());
    ExpectTakenAsWritten(device, "reply_length",
                         config.replyLength ? std::optional<long long>(*config.replyLength) : std::nullopt);
    if (device.contains("status")) {
        for (const auto& [code, status] : device["status"].items()) {
            const auto taken = config.status.find(static_cast<std::uint8_t>(std::stoi(code)));
            ExpectTakenAsWritten(device["status"], code.c_str(),
                                 taken == config.status.end() ? std::nullopt
                                                              : std::optional<long long>(taken->second));
        }
    }
}

void FuzzRecording(const std::string& text) {
    std::vector<miran::sim::RecordedEvent> events;
    try {
        events = miran::sim::ParseRecording(text);
    } catch (const std::runtime_error&) {
        return; // a rejected file, with a message naming the line
    }
    std::string written = miran::sim::RecordingHeader() + "\n";
    for (const auto& event : events)
        written += miran::sim::RecordingLine(event) + "\n";
    std::string again = miran::sim::RecordingHeader() + "\n";
    for (const auto& event : miran::sim::ParseRecording(written))
        again += miran::sim::RecordingLine(event) + "\n";
    if (again != written) {
        std::fprintf(stderr, "read back otherwise:\n%s\nthen:\n%s", written.c_str(), again.c_str());
        std::abort();
    }
    const auto plugs = std::count_if(events.begin(), events.end(), [](const auto& event) {
        return std::holds_alternative<miran::sim::RecordedPlug>(event);
    });
    if (plugs > static_cast<long>(kMostProgrammersRun))
        return;
    const miran::fuzz::ScratchFile file("recording", reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size());
    miran::fuzz::RunCliChecked({"--simulate=" + file.Path(), "update", "--all", "--json"}, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const std::string text(reinterpret_cast<const char*>(data), size); miran::sim::IsRecording(text)) {
        FuzzRecording(text);
        return 0;
    }
    std::vector<miran::sim::ProgrammerConfig> programmers;
    try {
        programmers = miran::sim::ParseSimulation(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::runtime_error&) {
        return 0; // a rejected file, with a message naming the fault
    }
    const json document = json::parse(data, data + size);
    for (std::size_t i = 0; i < programmers.size(); ++i)
        ExpectNumbersTakenAsWritten(document["devices"][i], programmers[i]);
    if (programmers.size() > kMostProgrammersRun)
        return 0;
    const miran::fuzz::ScratchFile file("simulation", data, size);
    miran::fuzz::RunCliChecked({"--simulate=" + file.Path(), "update", "--all", "--json"});
    return 0;
}
