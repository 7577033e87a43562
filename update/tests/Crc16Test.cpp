#include "update/Crc16.h"

#include <gtest/gtest.h>
#include <string_view>

using miran::update::Crc16;

namespace {

std::uint16_t CrcOf(std::string_view text) {
    return Crc16(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::uint16_t>(text.size()));
}

TEST(Crc16, CheckValues) {
    EXPECT_EQ(CrcOf("abc"), 0x0CD7);
    EXPECT_EQ(CrcOf("123456789"), 0xEA53);
    EXPECT_EQ(CrcOf(""), 0);
    EXPECT_EQ(Crc16(nullptr, 0), 0);
}

} // namespace
