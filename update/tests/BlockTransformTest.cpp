#include "update/BlockTransform.h"

#include <gtest/gtest.h>
#include <vector>

using namespace miran::update;

namespace {

TUniqueId SampleId() {
    TUniqueId id;
    for (std::size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<std::uint8_t>(0x10 + i);
    return id;
}

TEST(BlockKey, FourCrcWindowsLowByteFirst) {
    // Reference values computed independently of this code.
    EXPECT_EQ(DeriveBlockKey(SampleId()), (TBlockKey{0x9B, 0x57, 0xD4, 0xB2, 0x6D, 0x7F, 0x11, 0xB8}));
}

TEST(BlockKey, ByteFifteenEntersNoWindow) {
    TUniqueId id = SampleId();
    id[15] ^= 0xFF;
    EXPECT_EQ(DeriveBlockKey(id), DeriveBlockKey(SampleId()));
    for (std::size_t i = 0; i < 15; ++i) {
        TUniqueId changed = SampleId();
        changed[i] ^= 0x01;
        EXPECT_NE(DeriveBlockKey(changed), DeriveBlockKey(SampleId())) << "byte " << i;
    }
}

TEST(BlockTransform, MatchesReferenceAndIgnoresAddress) {
    std::vector<std::uint8_t> block(kBlockSize);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    BlockTransform(block.data(), DeriveBlockKey(SampleId()));
    const std::vector<std::uint8_t> head(block.begin(), block.begin() + 8);
    const std::vector<std::uint8_t> tail(block.end() - 8, block.end());
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0x20, 0x80, 0xF5, 0xE9, 0x37, 0x69, 0xEE, 0x29}));
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x3F, 0x9E, 0x11, 0x07, 0x55, 0xC6, 0x3A, 0x0F}));
}

} // namespace
