#include "update/UpdateEngine.h"

#include <gtest/gtest.h>

using miran::update::AsMaskedUsbSerial;

namespace {

// The serial field's mask takes up to 15 digits: longer texts are cut at 15 characters and a character that
// is not a digit stays in its place as a blank.
TEST(AsMaskedUsbSerial, KeepsFifteenCharactersWithNonDigitsBlank) {
    struct Case {
        const char* text;
        const char* shown;
    } cases[] = {
        {"", ""},
        {"4711000000001", "4711000000001"},
        {"12345678901234", "12345678901234"},
        {"123456789012345", "123456789012345"},
        {"1234567890123456", "123456789012345"},
        {"98765432109876543210987654321098", "987654321098765"},
        {"12a45", "12 45"},
        {"PM0000000001", "  0000000001"},
        {" 12-34.5/6:7\xb9"
         "89",
         " 12 34 5 6 7 89"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AsMaskedUsbSerial(c.text), c.shown) << '"' << c.text << '"';
}

} // namespace
