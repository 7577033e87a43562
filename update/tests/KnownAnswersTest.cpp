#include "EngineRig.h"
#include "update/BlockTransform.h"
#include "update/Crc16.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string_view>

using namespace miran;
using namespace miran::update;
using namespace miran::update::testing;

namespace {

// Made by known_answers.py beside this file from the protocol's description alone, not from this code:
// the virtual programmer shares our Crc16, key derivation and block transform, so only numbers from
// outside catch a fault in them.
constexpr const char* kInfoBlock =
    "4d4e30354b4e4f574e2d414e535745520000000000000000000000000000000001000100000000000000000000000000";
constexpr const char* kUniqueId = "0b30557a9fc4e90e33587da2c7ec1136";
constexpr std::uint16_t kInfoCrc = 0x538C;
constexpr std::uint16_t kUnlockValue = 0x2E95;
constexpr TBlockKey kBlockKey = {0x5B, 0xE3, 0x4C, 0x4E, 0x8C, 0xA2, 0x35, 0xFB};
// The first data report's bytes 1..512 (byte 0 is 1, bytes 513..1024 are zero).
constexpr const char* kFirstBlockSent = "ed20c9e3120fb806a57afad00e18ba3846a136429292257f1cea785b9d9b08b0"
                                        "77af1dfec4c763d79a64f0ce0c0eaff710b2f2c989e179309049b8e22022752c"
                                        "21e2496289e7319f01e3a24be673507e37780f21e0e14cd33379503a7c7b1087"
                                        "c70473965456b068c808758f5100a4ebc5ff6d965857aa62c0fe6990524fad65"
                                        "d61d724bbeaca2773d12dc7ed16ade5649a0e02144e1bfeba1496a6fba97ca45"
                                        "4f8efa740ce8994d8455fb5f01d171a742f7b0b47f8d5d71c801f8f2012800b8"
                                        "8aef451a371f7c6d5c2fad38cae8d6c8bee58145f1c55cdf0217b0bee9c99ea0"
                                        "ce00bdaea7206c7e36a2a630aae123cca4def57f02385d58e72e61c279fdd276"
                                        "1e92fe0832e4e6d8067a4424f5288ed6f56969056c81b11690f44155bc0d8973"
                                        "e2e2735ba758aba94292f6b9ca512c6426bad5906774f649f91c940f37ad7396"
                                        "019c42c236cf590adcf1da9ca36d065d1cb11705eb23027eaf52b554f8c69ebb"
                                        "94dc2d41b4bc0147ca27ff9af7ca76109e4eb09f4a284617e9604a8365f38e92"
                                        "26bc8326d66f14d8a6b8a599e9693111f6a6180f0e1cb2b17c3e8e7564216a91"
                                        "2a50944b8cc3c2cbea51bf086c2db1648c7762f9f187459666e2fd4d3b0c098f"
                                        "4eacf29a0394399cf650ad9ccf7e4f563177673f0a4abc32945aa9e985f25eaa"
                                        "232ecf281640f0bed92843b9c7577b989c07052476a5871655c876a9fe48d0d0";

std::vector<std::uint8_t> FromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

sim::ProgrammerConfig KnownProgrammer() {
    sim::ProgrammerConfig config = sim::DefaultProgrammer(0);
    config.info = FromHex(kInfoBlock);
    const std::vector<std::uint8_t> id = FromHex(kUniqueId);
    std::copy(id.begin(), id.end(), config.uniqueId.begin());
    return config;
}

TEST(KnownAnswers, UnlockValueAndBlockKey) {
    EngineRig rig(KnownProgrammer());
    ASSERT_TRUE(rig.engine.IdentifyDevice().ok);
    EXPECT_EQ(rig.engine.InfoCrc(), kInfoCrc);
    ASSERT_GE(rig.wire->log.size(), 5u);
    EXPECT_EQ(rig.wire->log[4].arrived,
              Bytes({2, cmdControl, kUnlockValue & 0xFF, kUnlockValue >> 8, 0, 0, 0, 0}));
    EXPECT_EQ(rig.engine.BlockKey(), kBlockKey);
}

TEST(KnownAnswers, FirstDataReport) {
    EngineRig rig(KnownProgrammer());
    ASSERT_TRUE(rig.engine.IdentifyDevice().ok);
    rig.observer.usbSerial = "4711000000001";
    rig.engine.StartUpdate();
    const auto first = std::find_if(rig.wire->log.begin(), rig.wire->log.end(), [](const WireRecord& r) {
        return !r.get && r.arrived[0] == kReportData;
    });
    ASSERT_NE(first, rig.wire->log.end());
    std::vector<std::uint8_t> expected = {kReportData};
    const std::vector<std::uint8_t> block = FromHex(kFirstBlockSent);
    expected.insert(expected.end(), block.begin(), block.end());
    expected.resize(kDataReportSize, 0);
    EXPECT_EQ(first->arrived, expected);
}

} // namespace
