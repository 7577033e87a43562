#include "cli/Cli.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sstream>

using namespace miran;
using namespace miran::cli;

namespace {

// A programmer that comes back from its reboot with another Bios than the one just written: the
// verification must see that the version or the serial text is not what the update put in.
TEST(CliVerify, ProgrammerBackWithAnotherBiosFails) {
    auto withSerialText = [](const char* text) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        config.bios[update::header::VersionMinor.offset] = 9; // v1.9.0, the version of the image
        config.bios[update::header::VersionPatch.offset] = 0;
        std::fill(config.bios.begin() + update::header::SerialText.offset, config.bios.end(), 0);
        std::memcpy(config.bios.data() + update::header::SerialText.offset, text, std::strlen(text));
        return config;
    };
    struct Case {
        sim::ProgrammerConfig comesBack;
        const char* message;
    } cases[] = {
        {sim::DefaultProgrammer(0), "Verification failed: installed version v1.8.2, expected v1.9.0"},
        {withSerialText("4711000000002"),
         "Verification failed: serial text 4711000000002, expected 4711000000001"},
        {withSerialText(""), "Verification failed: serial text 0000000000000, expected 4711000000001"},
        {withSerialText("4711000000001x"),
         "Verification failed: serial text 4711000000001x, expected 4711000000001"},
    };
    for (const Case& c : cases) {
        auto platform = std::make_shared<hid::VirtualHidPlatform>();
        sim::SimulatedBus bus(platform);
        auto programmer = bus.PlugProgrammer(sim::DefaultProgrammer(0));
        programmer->onReboot = [&] {
            bus.Unplug(*programmer);
            bus.PlugProgrammer(c.comesBack);
        };
        std::ostringstream out;
        std::ostringstream err;
        Environment env{out, err, false, [](std::chrono::milliseconds) {}, platform};
        EXPECT_EQ(RunCli({"update", "--verify"}, env), kExitVerifyFailed) << c.message;
        EXPECT_EQ(err.str(), std::string(c.message) + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

} // namespace
