#include "EngineRig.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace miran;
using namespace miran::update;
using namespace miran::update::testing;

namespace {

constexpr std::size_t kIdentifyTransfers = 14;

std::vector<std::uint8_t> BlockCommand(std::uint16_t action, std::uint32_t address) {
    return {2,
            cmdBlock,
            static_cast<std::uint8_t>(action),
            0,
            static_cast<std::uint8_t>(address),
            static_cast<std::uint8_t>(address >> 8),
            static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 24)};
}

// The data reports the upload must send, built from the image the way the device expects them.
std::vector<std::vector<std::uint8_t>> ExpectedDataReports(const FirmwareImage& image, const TBlockKey& key,
                                                           const std::string& digits) {
    std::vector<std::vector<std::uint8_t>> reports;
    std::vector<std::uint8_t> block(512, 0);
    auto bytes = image.Bytes();
    for (std::size_t offset = 0; offset < bytes.size(); offset += 512) {
        std::size_t n = std::min<std::size_t>(512, bytes.size() - offset);
        std::copy_n(bytes.begin() + offset, n, block.begin());
        if (offset == 0) {
            std::fill(block.begin() + 96, block.begin() + 128, 0);
            std::copy(digits.begin(), digits.end(), block.begin() + 96);
        }
        BlockTransform(block.data(), key);
        std::vector<std::uint8_t> report(1025, 0);
        report[0] = 1;
        std::copy(block.begin(), block.end(), report.begin() + 1);
        reports.push_back(report);
    }
    return reports;
}

class UploadTest : public ::testing::Test {
protected:
    void Identify(EngineRig& rig) {
        ASSERT_TRUE(rig.engine.IdentifyDevice().ok);
        rig.wire->log.erase(rig.wire->log.begin(), rig.wire->log.begin() + kIdentifyTransfers);
    }
    static bool ClosingSent(const EngineRig& rig) {
        const std::vector<std::uint8_t> close = {2, cmdControl, 5, 0, 0, 0, 0, 0};
        return std::any_of(rig.wire->log.begin(), rig.wire->log.end(),
                           [&](const WireRecord& r) { return !r.get && r.arrived == close; });
    }
};

TEST_F(UploadTest, TraceOfTheShippedImage) {
    EngineRig rig;
    Identify(rig);
    rig.observer.usbSerial = "1234567890123";
    UploadResult result = rig.engine.StartUpdate();
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.closingSent);
    EXPECT_EQ(rig.observer.status, "OK");

    const auto reports = ExpectedDataReports(rig.image, rig.engine.BlockKey(), "1234567890123");
    ASSERT_EQ(reports.size(), 17u);
    const auto& log = rig.wire->log;
    ASSERT_EQ(log.size(), 5u + 17 * 3 + 2);

    auto expectSet = [&](std::size_t i, const std::vector<std::uint8_t>& bytes) {
        EXPECT_FALSE(log[i].get) << "transfer " << i;
        EXPECT_EQ(log[i].arrived, bytes) << "transfer " << i;
    };
    auto expectStatusGet = [&](std::size_t i) {
        EXPECT_TRUE(log[i].get) << "transfer " << i;
        EXPECT_EQ(log[i].arrived.size(), 5u) << "transfer " << i;
        EXPECT_EQ(log[i].arrived[0], 3) << "transfer " << i;
        EXPECT_EQ(log[i].arrived[1], 0) << "transfer " << i;
    };
    expectSet(0, reports[0]);
    expectSet(1, BlockCommand(blockPrepare, 4096));
    expectStatusGet(2);
    expectSet(3, {2, cmdErase, 0, 0, 0, 0, 0, 0});
    expectStatusGet(4);
    for (std::size_t block = 0; block < 17; ++block) {
        std::size_t i = 5 + 3 * block;
        expectSet(i, reports[block]);
        expectSet(i + 1, BlockCommand(blockProgram, static_cast<std::uint32_t>(4096 + 512 * block)));
        expectStatusGet(i + 2);
    }
    expectSet(56, {2, cmdControl, 5, 0, 0, 0, 0, 0});
    expectStatusGet(57);
}

TEST_F(UploadTest, DeviceFlashHoldsTheImageWithTheSerialDigits) {
    EngineRig rig;
    Identify(rig);
    rig.observer.usbSerial = "0123456789012";
    ASSERT_TRUE(rig.engine.StartUpdate().ok);

    const auto image = rig.image.Bytes();
    std::vector<std::uint8_t> expected(image.begin(), image.end());
    const std::string digits = "0123456789012";
    std::fill(expected.begin() + 96, expected.begin() + 128, 0);
    std::copy(digits.begin(), digits.end(), expected.begin() + 96);
    const auto& flash = rig.programmer->Flash();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), flash.begin() + 4096));

    // Past the image's end the last block repeats the previous block's transformed bytes.
    const auto reports = ExpectedDataReports(rig.image, rig.engine.BlockKey(), "0123456789012");
    EXPECT_TRUE(std::equal(flash.begin() + 4096 + 8348, flash.begin() + 4096 + 17 * 512,
                           reports[15].begin() + 1 + 156));

    // After the closing command the device runs the new Bios.
    EXPECT_EQ(rig.programmer->RebootCount(), 1);
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.begin() + 128, rig.programmer->InstalledBios().begin()));
}

TEST_F(UploadTest, FirstBlockIsSentTwiceUnchanged) {
    EngineRig rig;
    Identify(rig);
    ASSERT_TRUE(rig.engine.StartUpdate().ok);
    EXPECT_EQ(rig.wire->log[0].arrived, rig.wire->log[5].arrived);
}

TEST_F(UploadTest, ProgressWaitsAndMessages) {
    EngineRig rig;
    Identify(rig);
    rig.observer.events.clear();
    ASSERT_TRUE(rig.engine.StartUpdate().ok);

    std::vector<std::string> expected = {"status Writing Bios", "pump", "max 8348"};
    for (int block = 1; block <= 17; ++block) {
        expected.push_back("pos " + std::to_string(512 * block));
        expected.push_back("sleep 25");
        expected.push_back("pump");
    }
    for (const char* e : {"status OK", "pos 0", "pump", "sleep 100", "pos 0"})
        expected.push_back(e);
    EXPECT_EQ(rig.observer.events, expected);
}

TEST_F(UploadTest, SerialDigitsInTheHeader) {
    struct Case {
        std::string text;
        std::string digits;
    } cases[] = {
        {"0123456789012", "0123456789012"},
        {"", ""},
        {"               ", ""},
        {"12a45", "12"},
        {"987654321098765", "987654321098765"},
        // More digits than the field holds must not spill into the payload.
        {std::string(40, '7'), std::string(32, '7')},
    };
    for (const Case& c : cases) {
        EngineRig rig;
        Identify(rig);
        rig.observer.usbSerial = c.text;
        ASSERT_TRUE(rig.engine.StartUpdate().ok) << c.text;
        const auto& flash = rig.programmer->Flash();
        std::vector<std::uint8_t> field(flash.begin() + 4096 + 96, flash.begin() + 4096 + 128);
        std::vector<std::uint8_t> expected(32, 0);
        std::copy(c.digits.begin(), c.digits.end(), expected.begin());
        EXPECT_EQ(field, expected) << '"' << c.text << '"';
        EXPECT_TRUE(
            std::equal(rig.image.Bytes().begin() + 128, rig.image.Bytes().end(), flash.begin() + 4096 + 128))
            << '"' << c.text << '"';
    }
}

// Every failure of the write phase: its message, no closing command, progress back to 0.
TEST_F(UploadTest, FailureTable) {
    // Upload transfers counted from 1 after identification: 1 first data, 2-3 prepare, 4-5 erase,
    // 6 first data again, 7-8 program, 9 second block's data, ...
    struct Row {
        const char* what;
        int failTransfer;
        std::map<std::uint8_t, std::uint16_t> status;
        const char* message;
        std::size_t transfers;
    } rows[] = {
        {"first data report", 1, {}, "Bios upload Error", 1},
        {"prepare not sent", 2, {}, "Bios upload Error", 2},
        {"prepare status not fetched", 3, {}, "Bios upload Error", 3},
        {"prepare refused", 0, {{cmdBlock, 1}}, "Bios upload Error", 3},
        {"erase not sent", 4, {}, "Biosflash Erase Error", 4},
        {"erase refused", 0, {{cmdErase, 9}}, "Biosflash Erase Error", 5},
        {"first block again", 6, {}, "Biosflash upload Error", 6},
        {"program status not fetched", 8, {}, "Biosflash Program Error", 8},
        {"second block", 9, {}, "Biosflash upload Error", 9},
        {"last block's program", 5 + 17 * 3, {}, "Biosflash Program Error", 5 + 17 * 3},
    };
    for (const Row& row : rows) {
        sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
        if (row.failTransfer)
            config.failTransfer = static_cast<int>(kIdentifyTransfers) + row.failTransfer;
        EngineRig rig(config);
        Identify(rig);
        for (auto [command, status] : row.status)
            rig.programmer->ForceStatus(command, status);
        rig.observer.events.clear();
        UploadResult result = rig.engine.StartUpdate();
        EXPECT_FALSE(result.ok) << row.what;
        EXPECT_FALSE(result.closingSent) << row.what;
        EXPECT_EQ(result.message, row.message) << row.what;
        EXPECT_EQ(rig.observer.status, row.message) << row.what;
        EXPECT_FALSE(ClosingSent(rig)) << row.what;
        EXPECT_EQ(rig.wire->log.size(), row.transfers) << row.what;
        ASSERT_GE(rig.observer.events.size(), 3u);
        auto tail = std::vector<std::string>(rig.observer.events.end() - 3, rig.observer.events.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"beep", std::string("status ") + row.message, "pos 0"}))
            << row.what;
    }
}

TEST_F(UploadTest, WrongKeyIsCaughtByTheDevice) {
    EngineRig rig;
    // The unique id is changed on its way to the host, so the host derives another key.
    rig.wire->tamper = [](std::size_t index, std::uint8_t* reply, std::size_t) {
        if (index == 7)
            reply[0] ^= 0x40;
    };
    Identify(rig);
    UploadResult result = rig.engine.StartUpdate();
    EXPECT_EQ(result.message, "Biosflash Program Error");
    EXPECT_FALSE(ClosingSent(rig));
}

TEST_F(UploadTest, NotIdentifiedSendsOnlyTheClosingCommand) {
    EngineRig rig;
    UploadResult result = rig.engine.StartUpdate();
    EXPECT_TRUE(result.ok);
    ASSERT_EQ(rig.wire->log.size(), 2u);
    EXPECT_EQ(rig.wire->log[0].arrived, (std::vector<std::uint8_t>{2, cmdControl, 5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.wire->log[1].arrived.size(), 5u);
    EXPECT_EQ(rig.observer.events, (std::vector<std::string>{"pos 0"}));
}

TEST_F(UploadTest, CtrlHeldWritesEvenWhenNotIdentified) {
    EngineRig rig;
    rig.observer.ctrlHeld = true;
    rig.engine.StartUpdate();
    ASSERT_FALSE(rig.wire->log.empty());
    EXPECT_EQ(rig.wire->log[0].arrived.size(), 1025u);
    EXPECT_EQ(rig.observer.events.front(), "status Writing Bios");
}

} // namespace
