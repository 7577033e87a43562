#include "sim/Recording.h"

#include "sim/HidBackend.h"
#include "sim/ReplayPlatform.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace miran;
using namespace miran::sim;

namespace {

const std::string kHeader = R"({"recording":"miran-isp-up","format":1})";
const std::string kPlug = R"({"event":"plug","device":0,"instance":"i0"})";

// What is written reads back as it was, field for field.
TEST(Recording, ReadsWhatItWrites) {
    const std::vector<RecordedEvent> events = {
        RecordedPlug{0, "virtual-0", hid::HidAttributes{0x16C0, 0x2AA8, 0x0100}, "PM0000000001",
                     std::nullopt},
        RecordedPlug{1, "usb-1", std::nullopt, "", 13},
        RecordedRefusal{0, 13},
        RecordedTransfer{0, false, 2, {0x02, 0x01, 0xFF, 0x00}, true},
        RecordedTransfer{0, true, 3, {0x00, 0x00, 0x80, 0x00, 0x00}, false},
        RecordedTransfer{1, true, 1, {}, false},
        RecordedUnplug{0},
    };
    std::string text = RecordingHeader() + "\n";
    for (const RecordedEvent& event : events)
        text += RecordingLine(event) + "\n";
    EXPECT_EQ(text.substr(0, text.find('\n')), kHeader);
    EXPECT_EQ(
        RecordingLine(events[3]),
        R"({"event":"transfer","device":0,"direction":"set","report_id":2,"sent":"0201ff00","ok":true})");
    const std::vector<RecordedEvent> read = ParseRecording(text);
    ASSERT_EQ(read.size(), events.size());
    for (std::size_t i = 0; i < events.size(); ++i)
        EXPECT_EQ(RecordingLine(read[i]), RecordingLine(events[i]));
    const auto& plug = std::get<RecordedPlug>(read[0]);
    EXPECT_EQ(plug.attributes->ProductID, 0x2AA8);
    EXPECT_EQ(plug.serial, "PM0000000001");
    EXPECT_EQ(std::get<RecordedPlug>(read[1]).openError, 13);
    EXPECT_EQ(std::get<RecordedTransfer>(read[4]).bytes.size(), 5u);
}

// A recording is told from a simulation file by its first line alone.
TEST(Recording, ToldFromASimulationFile) {
    struct Case {
        std::string text;
        bool recording;
    } cases[] = {
        {kHeader + "\n" + kPlug + "\n", true},
        {kHeader + "\r\n", true},
        {kHeader, true},
        {R"({"devices": []})", false},
        {"{\n  \"devices\": [{\"recording\": 1}]\n}\n", false},
        {"", false},
        {"not json\n" + kHeader, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRecording(c.text), c.recording) << c.text;
}

TEST(Recording, RejectsWhatItCannotTake) {
    struct Case {
        std::string lines;
        const char* message;
    } cases[] = {
        {R"({"recording":"miran-isp-up","format":2})", "line 1: expected "
                                                       R"({"recording":"miran-isp-up","format":1})"},
        {kHeader + "\n[]", "line 2: expected an object"},
        {kHeader + "\n" + R"({"event":"replug","device":0})",
         R"(line 2: "event": expected "plug", "unplug", "refused" or "transfer")"},
        {kHeader + "\n" + R"({"event":"plug","device":0,"instance":"i0","colour":1})",
         R"(line 2: unknown field "colour")"},
        {kHeader + "\n" + R"({"event":"plug","device":-1,"instance":"i0"})",
         R"(line 2: "device": expected an integer from 0 to 2147483647)"},
        {kHeader + "\n" + R"({"event":"plug","device":0})", R"(line 2: "instance": missing)"},
        {kHeader + "\n" + R"({"event":"plug","device":0,"instance":"i0","vendor_id":5824})",
         R"(line 2: "product_id": missing)"},
        {kHeader + "\n\n" + kPlug + "\n" + kPlug, "line 4: device 0 was plugged before"},
        {kHeader + "\n" + kPlug + "\n" + R"({"event":"plug","device":1,"instance":"i0"})",
         R"(line 3: instance "i0" is plugged already)"},
        {kHeader + "\n" + R"({"event":"unplug","device":0})", "line 2: device 0 is not plugged"},
        {kHeader + "\n" + kPlug + "\n" + R"({"event":"unplug","device":0})" + "\n" +
             R"({"event":"transfer","device":0,"direction":"set","report_id":2,"sent":"02","ok":true})",
         "line 4: device 0 is not plugged"},
        {kHeader + "\n" + kPlug + "\n" +
             R"({"event":"transfer","device":0,"direction":"put","report_id":2,"sent":"02","ok":true})",
         R"(line 3: "direction": expected "get" or "set")"},
        {kHeader + "\n" + kPlug + "\n" +
             R"({"event":"transfer","device":0,"direction":"get","report_id":2,"sent":"02","ok":true})",
         R"(line 3: "received": missing)"},
        {kHeader + "\n" + kPlug + "\n" +
             R"({"event":"transfer","device":0,"direction":"set","report_id":256,"sent":"02","ok":true})",
         R"(line 3: "report_id": expected an integer from 0 to 255)"},
        {kHeader + "\n" + kPlug + "\n" +
             R"({"event":"transfer","device":0,"direction":"set","report_id":2,"sent":"020","ok":true})",
         R"(line 3: "sent": odd number of hex digits)"},
        {kHeader + "\n" + kPlug + "\n" +
             R"({"event":"transfer","device":0,"direction":"set","report_id":2,"sent":"02","ok":1})",
         R"(line 3: "ok": expected true or false)"},
    };
    for (const Case& c : cases) {
        try {
            ParseRecording(c.lines);
            ADD_FAILURE() << "accepted: " << c.lines;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
    // What the JSON parser says follows the line.
    try {
        ParseRecording(kHeader + "\n" + kPlug + "\n{\"event\":");
        ADD_FAILURE() << "accepted a broken line";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()).rfind("line 3: ", 0), 0u) << error.what();
    }
}

// --simulate=FILE: a recording is replayed whatever its size; a simulation file stays within 1 MiB.
TEST(HidBackend, ChoosesTheReplayForARecording) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("sim-recording-" + std::to_string(::getpid()) + ".jsonl");
    const std::string filler(1 << 20, ' ');
    std::ofstream(file, std::ios::binary) << kHeader << "\n" << kPlug << "\n" << filler << "\n";
    HidBackend replay = ChooseHidBackend(file.string());
    EXPECT_NE(dynamic_cast<ReplayPlatform*>(replay.platform.get()), nullptr);
    EXPECT_EQ(replay.bus, nullptr);
    ASSERT_EQ(replay.platform->CollectInterfaces().size(), 1u);
    EXPECT_EQ(replay.platform->CollectInterfaces()[0].DeviceInstance, "i0");

    std::ofstream(file, std::ios::binary) << R"({"devices": []})" << filler;
    try {
        ChooseHidBackend(file.string());
        ADD_FAILURE() << "a simulation file over 1 MiB was taken";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), file.string() + ": larger than 1 MiB");
    }
    std::filesystem::remove(file);
}

} // namespace
