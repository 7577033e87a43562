#include "hid/HidDeviceController.h"
#include "sim/HidBackend.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace miran;
using namespace miran::sim;

namespace {

TEST(SimulationFile, ReadsEveryField) {
    auto configs = ParseSimulation(R"({"devices": [
        {"serial": "A1", "info": "4D 4E 30 35", "unique_id": "000102030405060708090a0b0c0d0e0f",
         "bios": "4d4e3035", "fail_transfer": 3, "unplug_at_transfer": 9, "status": {"4": 2, "14": 65535},
         "reply_length": 2000},
        {}
    ]})");
    ASSERT_EQ(configs.size(), 2u);
    const ProgrammerConfig& a = configs[0];
    EXPECT_EQ(a.serial, "A1");
    EXPECT_EQ(a.info, (std::vector<std::uint8_t>{0x4D, 0x4E, 0x30, 0x35}));
    EXPECT_EQ(a.uniqueId[10], 0x0A);
    EXPECT_EQ(a.bios.size(), 4u);
    EXPECT_EQ(a.failTransfer, 3);
    EXPECT_EQ(a.unplugAtTransfer, 9);
    EXPECT_EQ(a.status.at(4), 2);
    EXPECT_EQ(a.status.at(14), 65535);
    EXPECT_EQ(a.replyLength, 2000);
    // Unset fields take the defaults, with a serial and id of the device's own.
    EXPECT_EQ(configs[1].serial, "PM0000000002");
    EXPECT_EQ(configs[1].info, ProgrammerConfig::Defaults().info);
    EXPECT_NE(configs[1].uniqueId, DefaultProgrammer(0).uniqueId);
}

TEST(SimulationFile, RejectsWhatItCannotTake) {
    const char* bad[] = {
        "",
        "[]",
        R"({"devices": {}})",
        R"({"devices": [1]})",
        R"({"devices": [{"info": "abc"}]})",
        R"({"devices": [{"info": "zz"}]})",
        R"({"devices": [{"unique_id": "0011"}]})",
        R"({"devices": [{"status": {"256": 1}}]})",
        R"({"devices": [{"status": {"4": -1}}]})",
        R"({"devices": [{"serial": 5}]})",
        R"({"devices": [{"extra": 1}]})",
    };
    for (const char* text : bad)
        EXPECT_THROW(ParseSimulation(text), std::runtime_error) << text;
}

// Every number is an integer within what its field can hold, and a wrong one names the field.
TEST(SimulationFile, NumbersAreIntegersInRange) {
    struct Case {
        const char* device;
        const char* message;
    } cases[] = {
        {R"("reply_length": 1e10)", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("reply_length": -1)", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("reply_length": 70000)", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("reply_length": true)", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("reply_length": 2.0)", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("reply_length": "12")", R"("reply_length": expected an integer from 0 to 65535)"},
        {R"("fail_transfer": 0)", R"("fail_transfer": expected an integer from 1 to 2147483647)"},
        {R"("fail_transfer": 2147483648)", R"("fail_transfer": expected an integer from 1 to 2147483647)"},
        {R"("fail_transfer": 18446744073709551615)",
         R"("fail_transfer": expected an integer from 1 to 2147483647)"},
        {R"("unplug_at_transfer": 0)", R"("unplug_at_transfer": expected an integer from 1 to 2147483647)"},
        {R"("unplug_at_transfer": 1.5)", R"("unplug_at_transfer": expected an integer from 1 to 2147483647)"},
        {R"("plug_after_ms": -5)", R"("plug_after_ms": expected an integer from 0 to 2147483647)"},
        {R"("plug_after_ms": false)", R"("plug_after_ms": expected an integer from 0 to 2147483647)"},
        {R"("status": {"14": 65536})", R"("status" "14": expected an integer from 0 to 65535)"},
        {R"("status": {"14": true})", R"("status" "14": expected an integer from 0 to 65535)"},
        {R"("status": {"4": -1})", R"("status" "4": expected an integer from 0 to 65535)"},
        {R"("status": {"0x4": 1})", R"("status": expected command codes from 0 to 255, not "0x4")"},
        {R"("status": {"256": 1})", R"("status": expected command codes from 0 to 255, not "256")"},
        {R"("no_permission": 1)", R"("no_permission": expected true or false)"},
        {R"("serial": 5)", R"("serial": expected a string)"},
        {R"("info": 5)", R"("info": expected a string)"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string(R"({"devices": [{)") + c.device + "}]}";
        try {
            ParseSimulation(text);
            ADD_FAILURE() << "accepted: " << c.device;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), std::string(c.message)) << c.device;
        }
    }
    const auto edges = ParseSimulation(R"({"devices": [{"reply_length": 0, "fail_transfer": 2147483647,
        "unplug_at_transfer": 1, "plug_after_ms": 0, "status": {"255": 0}},
        {"reply_length": 65535, "status": {"0": 65535}}]})");
    EXPECT_EQ(edges[0].replyLength, 0);
    EXPECT_EQ(edges[0].failTransfer, 2147483647);
    EXPECT_EQ(edges[0].unplugAtTransfer, 1);
    EXPECT_EQ(edges[0].status.at(255), 0);
    EXPECT_EQ(edges[1].replyLength, 65535);
    EXPECT_EQ(edges[1].status.at(0), 65535);
}

// Without a file named, a simulation is one programmer with defaults, on the bus the platform belongs to.
TEST(HidBackend, SimulationWithoutAFileIsOneDefaultProgrammer) {
    HidBackend simulated = ChooseHidBackend(std::string());
    ASSERT_TRUE(simulated.bus);
    ASSERT_EQ(simulated.programmers.size(), 1u);
    EXPECT_EQ(simulated.programmers[0]->Config().serial, DefaultProgrammer(0).serial);
    EXPECT_EQ(simulated.platform.get(), &simulated.bus->Platform());
}

// The bus as a controller sees it: a reboot re-plugs the programmer, a vanished one stays away.
TEST(SimulatedBus, RebootAndVanishAsHotPlug) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    SimulatedBus bus(platform);
    int changes = 0;
    hid::THidDeviceController controller(platform, {.OnEnumerate = {},
                                                    .OnDeviceChange = hid::TNotifyEvent([&] { ++changes; }),
                                                    .OnArrival = {},
                                                    .OnRemoval = {}});
    auto programmer = bus.PlugProgrammer(DefaultProgrammer(0));
    bus.PlugOtherDevice(0x046D, 0xC31C, "keyboard");
    controller.HandleNotification();
    ASSERT_EQ(changes, 1);
    ASSERT_EQ(controller.Count(), 2);
    const std::string before = platform->CollectInterfaces()[0].DeviceInstance;

    // The closing command, then its status: the device reboots under a new identity.
    const std::uint8_t close[8] = {2, 1, 5, 0, 0, 0, 0, 0};
    std::uint8_t status[5] = {3, 0, 0, 0, 0};
    ASSERT_TRUE(programmer->SetFeature(close, sizeof close));
    ASSERT_TRUE(programmer->GetFeature(status, sizeof status));
    EXPECT_EQ(programmer->RebootCount(), 1);
    EXPECT_TRUE(bus.IsPlugged(*programmer));
    controller.HandleNotification();
    EXPECT_EQ(changes, 2);
    ASSERT_EQ(controller.Count(), 2);
    EXPECT_NE(platform->CollectInterfaces()[1].DeviceInstance, before);

    bus.Unplug(*programmer);
    EXPECT_FALSE(bus.IsPlugged(*programmer));
    controller.HandleNotification();
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(controller.Count(), 1);
    bus.Replug(*programmer);
    EXPECT_TRUE(bus.IsPlugged(*programmer));
}

TEST(VirtualProgrammer, VanishesAtTheChosenTransfer) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    SimulatedBus bus(platform);
    ProgrammerConfig config = DefaultProgrammer(0);
    config.unplugAtTransfer = 2;
    auto programmer = bus.PlugProgrammer(config);
    const std::uint8_t info[8] = {2, 1, 0, 0, 0, 0, 0, 0};
    std::uint8_t reply[1025] = {1};
    EXPECT_TRUE(programmer->SetFeature(info, sizeof info));
    EXPECT_FALSE(programmer->GetFeature(reply, sizeof reply));
    EXPECT_FALSE(bus.IsPlugged(*programmer));
    EXPECT_FALSE(programmer->SetFeature(info, sizeof info));
}

TEST(VirtualProgrammer, RefusesProgrammingWhileLocked) {
    VirtualProgrammer programmer(DefaultProgrammer(0));
    const std::uint8_t prepare[8] = {2, 4, 2, 0, 0, 0x10, 0, 0};
    std::uint8_t status[5] = {3, 0, 0, 0, 0};
    ASSERT_TRUE(programmer.SetFeature(prepare, sizeof prepare));
    ASSERT_TRUE(programmer.GetFeature(status, sizeof status));
    EXPECT_EQ(status[0], kStatusLocked);
    const std::uint8_t readId[8] = {2, 8, 58, 0, 0, 0, 0, 0};
    EXPECT_FALSE(programmer.SetFeature(readId, sizeof readId));
}

} // namespace
