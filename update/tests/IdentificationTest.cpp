#include "EngineRig.h"
#include "update/Crc16.h"

#include <gtest/gtest.h>
#include <optional>

using namespace miran;
using namespace miran::update;
using namespace miran::update::testing;

namespace {

std::vector<std::uint8_t> Command(std::uint8_t command, std::uint16_t p16 = 0) {
    return {2, command, static_cast<std::uint8_t>(p16), static_cast<std::uint8_t>(p16 >> 8), 0, 0, 0, 0};
}

// Checks the fourteen transfers of a successful identification as the device saw them.
void ExpectIdentifyTrace(const std::vector<WireRecord>& log, const sim::ProgrammerConfig& config) {
    const std::uint16_t unlock =
        Crc16(config.info.data(), static_cast<std::uint16_t>(config.info.size())) ^ 0x7D19;
    const std::vector<std::uint8_t> sets[] = {
        Command(cmdControl), Command(cmdStatus),   Command(cmdControl, unlock), Command(cmdReadId, 58),
        Command(cmdStatus),  Command(cmdBiosInfo), Command(cmdStatus)};
    const std::size_t getLength[] = {1025, 5, 1025, 1025, 5, 1025, 5};
    ASSERT_EQ(log.size(), 14u);
    for (std::size_t i = 0; i < 7; ++i) {
        const WireRecord& set = log[2 * i];
        const WireRecord& get = log[2 * i + 1];
        EXPECT_FALSE(set.get) << "transfer " << 2 * i + 1;
        EXPECT_EQ(set.arrived, sets[i]) << "transfer " << 2 * i + 1;
        EXPECT_TRUE(get.get) << "transfer " << 2 * i + 2;
        ASSERT_EQ(get.arrived.size(), getLength[i]) << "transfer " << 2 * i + 2;
        EXPECT_EQ(get.arrived[0], getLength[i] == 5 ? 3 : 1) << "transfer " << 2 * i + 2;
        if (getLength[i] == 5) {
            EXPECT_EQ(get.arrived[1], 0) << "transfer " << 2 * i + 2;
        }
    }
}

TEST(Identification, TraceAndResultForSeveralDevices) {
    sim::ProgrammerConfig longer = sim::DefaultProgrammer(1);
    longer.info.resize(40);
    longer.info[39] = 0x5A;
    sim::ProgrammerConfig other = sim::DefaultProgrammer(2);
    other.uniqueId = {0xFF, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    for (const sim::ProgrammerConfig& config : {sim::DefaultProgrammer(0), longer, other}) {
        EngineRig rig(config);
        IdentifyResult result = rig.engine.IdentifyDevice();
        ExpectIdentifyTrace(rig.wire->log, config);
        EXPECT_TRUE(result.ok);
        EXPECT_TRUE(rig.engine.Identified());
        EXPECT_EQ(result.biosCaption, "v1.8.2");
        EXPECT_EQ(result.usbSerial, "4711000000001");
        EXPECT_EQ(rig.engine.InfoCrc(),
                  Crc16(config.info.data(), static_cast<std::uint16_t>(config.info.size())));
        EXPECT_EQ(rig.engine.UniqueId(), config.uniqueId);
        EXPECT_EQ(rig.engine.BlockKey(), DeriveBlockKey(config.uniqueId));
        EXPECT_TRUE(rig.programmer->Unlocked());
        EXPECT_EQ(rig.observer.status, "");
    }
}

// A failed transfer at each position of the sequence: whether it still succeeds, and what the panel says.
TEST(Identification, EachFailedTransfer) {
    struct Row {
        int transfer;
        bool ok;
        const char* status;
    } rows[] = {
        {1, false, ""},
        {2, false, ""},
        {3, false, "Wrong Info: "},
        {4, false, "Wrong Info: "},
        {5, false, ""},
        {6, false, ""},
        {7, false, ""},
        {8, false, ""},
        {9, true, ""},
        {10, true, ""},
        {11, false, ""},
        {12, false, ""},
        {13, true, ""},
        {14, true, ""},
    };
    for (const Row& row : rows) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        config.failTransfer = row.transfer;
        EngineRig rig(config);
        IdentifyResult result = rig.engine.IdentifyDevice();
        EXPECT_EQ(result.ok, row.ok) << "transfer " << row.transfer;
        EXPECT_EQ(rig.engine.Identified(), row.ok) << "transfer " << row.transfer;
        EXPECT_EQ(rig.observer.status, row.status) << "transfer " << row.transfer;
        // Nothing goes on after a failure.
        if (!row.ok) {
            EXPECT_EQ(rig.wire->log.size(), static_cast<std::size_t>(row.transfer))
                << "transfer " << row.transfer;
        }
    }
}

// Found by fuzz/device_replies: the Length of a failed status query must not be the one the programmer before
// reported, or the info CRC (and so the unlock value) of this programmer is taken over the wrong bytes.
TEST(Identification, FailedStatusQueryNeverTakesTheLengthOfTheProgrammerBefore) {
    EngineRig first;
    ASSERT_TRUE(first.engine.IdentifyDevice().ok);
    ASSERT_NE(first.engine.Channel().Length(), 0);
    sim::ProgrammerConfig config = sim::DefaultProgrammer(1);
    config.failTransfer = 4; // the first status query
    EngineRig next(config);
    first.engine.Channel().SetCurrentDevice(next.device);
    EXPECT_FALSE(first.engine.IdentifyDevice().ok);
    EXPECT_EQ(first.engine.Channel().Length(), 0);
    EXPECT_EQ(first.engine.InfoCrc(), 0);
}

struct ContentCase {
    const char* name;
    std::vector<std::uint8_t> info;        // empty: the default
    std::vector<std::pair<int, int>> bios; // byte changes of the installed Bios info
    bool ok;
    const char* status;
    std::optional<std::string> caption;
    std::optional<std::string> serial;
};

std::vector<std::uint8_t> Info(const char* magic, int major, int minor, std::size_t size = 48) {
    std::vector<std::uint8_t> info(size, 0);
    for (std::size_t i = 0; magic[i] && i < size; ++i)
        info[i] = static_cast<std::uint8_t>(magic[i]);
    if (size > 35) {
        info[34] = static_cast<std::uint8_t>(major);
        info[35] = static_cast<std::uint8_t>(minor);
    }
    return info;
}

TEST(Identification, ContentCases) {
    const ContentCase cases[] = {
        {"level 1.0 passes", Info("MN05", 1, 0), {}, true, "", "v1.8.2", "4711000000001"},
        {"level 0.15 passes", Info("MN05", 0, 15), {}, true, "", "v1.8.2", "4711000000001"},
        {"level 1.1 fails", Info("MN05", 1, 1), {}, false, "Setup Tool v1.1x or newer required!", {}, {}},
        {"level 2.0 fails", Info("MN05", 2, 0), {}, false, "Setup Tool v2.0x or newer required!", {}, {}},
        {"other magic", Info("MN04", 1, 0), {}, false, "Wrong Info: MN04", {}, {}},
        {"magic ends at zero", Info("XY\0Z", 1, 0), {}, false, "Wrong Info: XY", {}, {}},
        {"short info", Info("MN", 1, 0, 2), {}, false, "Wrong Info: MN", {}, {}},
        {"empty info", Info("", 1, 0, 0), {}, false, "Wrong Info: ", {}, {}},
        {"version 9.9.0", {}, {{12, 9}, {13, 9}, {14, 0}}, true, "", "v9.9.0", "4711000000001"},
        {"patch has no range", {}, {{14, 200}}, true, "", "v1.8.200", "4711000000001"},
        {"major 10 is no Bios", {}, {{12, 10}}, true, "", "NO BIOS", {}},
        {"minor 10 is no Bios", {}, {{13, 10}}, true, "", "NO BIOS", {}},
        {"empty serial text", {}, {{96, 0}}, true, "", "v1.8.2", "0000000000000"},
        {"serial with letters", {}, {{98, 'a'}}, true, "", "v1.8.2", "47a1000000001"},
    };
    for (const ContentCase& c : cases) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        if (!c.info.empty() || std::string(c.name) == "empty info")
            config.info = c.info;
        for (auto [offset, value] : c.bios)
            config.bios[offset] = static_cast<std::uint8_t>(value);
        EngineRig rig(config);
        IdentifyResult result = rig.engine.IdentifyDevice();
        EXPECT_EQ(result.ok, c.ok) << c.name;
        EXPECT_EQ(rig.observer.status, c.status) << c.name;
        EXPECT_EQ(result.biosCaption, c.caption) << c.name;
        EXPECT_EQ(result.usbSerial, c.serial) << c.name;
    }
}

TEST(Identification, ShortInfoIsNotCompletedByAnEarlierReply) {
    EngineRig rig;
    ASSERT_TRUE(rig.engine.IdentifyDevice().ok);
    // The next info reply is two bytes long: "XY", not "XY" followed by the "05" of the earlier one.
    rig.wire->log.clear();
    rig.wire->tamper = [](std::size_t index, std::uint8_t* reply, std::size_t) {
        if (index == 1) {
            reply[0] = 'X';
            reply[1] = 'Y';
        }
        if (index == 3) {
            reply[2] = 2;
            reply[3] = 0;
        }
    };
    EXPECT_FALSE(rig.engine.IdentifyDevice().ok);
    EXPECT_EQ(rig.observer.status, "Wrong Info: XY");
}

// The window keeps one engine for its whole life: programmer B, identified after A, must be shown and
// written as a fresh engine would show and write it, never with A's bytes.
TEST(Identification, NextProgrammerGetsNothingOfTheOneBefore) {
    sim::ProgrammerConfig b = sim::DefaultProgrammer(1);
    b.info.resize(16);
    b.bios[12] = 1;
    b.bios[13] = 9;
    b.bios[14] = 0;
    b.bios[108] = '2';
    // Info and Bios info count 16 bytes: B's serial text lies beyond them and is not B's to give.
    b.replyLength = 16;
    EngineRig a;
    EngineRig reused(b); // B as the engine that saw A reaches it
    EngineRig fresh(b);  // B as a fresh engine reaches it

    ASSERT_EQ(a.engine.IdentifyDevice().usbSerial, "4711000000001");
    a.engine.Channel().SetCurrentDevice(reused.device);
    const IdentifyResult seen = a.engine.IdentifyDevice();
    const IdentifyResult expected = fresh.engine.IdentifyDevice();
    ASSERT_TRUE(seen.ok);
    EXPECT_EQ(seen.biosCaption, "v1.9.0");
    EXPECT_EQ(seen.usbSerial, "0000000000000");
    EXPECT_EQ(seen.biosCaption, expected.biosCaption);
    EXPECT_EQ(seen.usbSerial, expected.usbSerial);
    EXPECT_EQ(a.engine.DeviceInfo(), fresh.engine.DeviceInfo());
    EXPECT_EQ(a.engine.BiosInfo(), fresh.engine.BiosInfo());

    // START writes the digits the window shows.
    a.observer.usbSerial = AsMaskedUsbSerial(*seen.usbSerial);
    fresh.observer.usbSerial = AsMaskedUsbSerial(*expected.usbSerial);
    ASSERT_TRUE(a.engine.StartUpdate().ok);
    ASSERT_TRUE(fresh.engine.StartUpdate().ok);
    const auto serialField = [](const sim::VirtualProgrammer& device) {
        const auto at = device.Flash().begin() + kStartAddress + header::SerialText.offset;
        return std::string(at, at + header::SerialText.width);
    };
    EXPECT_EQ(serialField(*reused.programmer), std::string("0000000000000") + std::string(19, '\0'));
    EXPECT_EQ(reused.programmer->Flash(), fresh.programmer->Flash());
}

TEST(Identification, LengthBeyondEveryBufferIsBounded) {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    config.replyLength = 0xFFFF;
    EngineRig rig(config);
    // The CRC then runs over the whole 1024-byte receive buffer, so the device refuses the unlock value.
    IdentifyResult result = rig.engine.IdentifyDevice();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(rig.engine.InfoCrc(), [] {
        std::vector<std::uint8_t> received(1024, 0);
        auto info = sim::DefaultProgrammer(0).info;
        std::copy(info.begin(), info.end(), received.begin());
        return Crc16(received.data(), 1024);
    }());
    EXPECT_EQ(rig.engine.DeviceInfo()[4], 'P');
    EXPECT_FALSE(rig.programmer->Unlocked());
}

TEST(Identification, DeviceRefusesTheIdAfterAWrongUnlockValue) {
    EngineRig rig;
    // One changed byte of the info reply on its way changes the host's unlock value.
    rig.wire->tamper = [](std::size_t index, std::uint8_t* reply, std::size_t) {
        if (index == 1)
            reply[10] ^= 0x01;
    };
    EXPECT_FALSE(rig.engine.IdentifyDevice().ok);
    EXPECT_FALSE(rig.programmer->Unlocked());
    ASSERT_EQ(rig.wire->log.size(), 7u);
    EXPECT_FALSE(rig.wire->log[6].ok); // the read-id command
    EXPECT_EQ(rig.observer.status, "");
}

} // namespace
