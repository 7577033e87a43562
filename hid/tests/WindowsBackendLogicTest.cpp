#include "windows/SerialString.h"
#include "windows/Utf16.h"
#include "windows/WindowsErrno.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

namespace miran::hid::windows_backend {
namespace {

// A string buffer as HID.dll leaves it: `written` from unit 0 on, `fill` in every other unit.
StringUnits Units(std::u16string_view written, char16_t fill) {
    StringUnits units;
    units.fill(fill);
    std::copy_n(written.begin(), std::min(written.size(), kStringUnits), units.begin());
    return units;
}

StringUnits Serial(std::u16string_view written) {
    return Units(written, u'\0');
}

StringUnits Languages(std::u16string_view written) {
    return Units(written, 0xFFFF);
}

TEST(WindowsSerialString, LanguageListDecidesWhetherTheSerialCounts) {
    const std::u16string english(u"\u0409\0", 2);
    struct Case {
        const char* name;
        StringUnits serial;
        StringUnits languages;
        std::u16string expected;
    };
    const Case cases[] = {
        {"serial", Serial(u"PM0000000001"), Languages(english), u"PM0000000001"},
        {"serial equal to the language list", Serial(english), Languages(english), u""},
        {"serial beginning with the language list", Serial(u"\u0409AB"), Languages(english), u""},
        {"descriptor 0 unreadable", Serial(u"PM0000000001"), Languages(u""), u""},
        {"language list of only its NUL", Serial(u"PM0000000001"), Languages(std::u16string(1, u'\0')), u""},
        {"two languages without NUL, second differs", Serial(u"\u0409X"), Languages(u"\u0409\u0407"),
         u"\u0409X"},
        {"two languages without NUL, both equal", Serial(u"\u0409\u0407Z"), Languages(u"\u0409\u0407"), u""},
        {"language list written to its last unit", Serial(std::u16string(253, u'x') + u"y"),
         Languages(std::u16string(254, u'x')), std::u16string(253, u'x') + u"y"},
        {"254 units without NUL", Serial(std::u16string(300, u'x')), Languages(english),
         std::u16string(254, u'x')},
        {"embedded NUL", Serial(std::u16string(u"AB\0CD", 5)), Languages(english), u"AB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsableSerial(c.serial, c.languages), c.expected) << c.name;
}

TEST(WindowsUtf16, ConvertsToUtf8AndReplacesUnpairedSurrogates) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {u"PM0000000001", "PM0000000001"},
        {u"", ""},
        {u"\u00e9", "\xc3\xa9"},
        {u"\u20ac", "\xe2\x82\xac"},
        {u"\U0001F600", "\xf0\x9f\x98\x80"},
        {std::u16string(1, char16_t(0xD83D)), "\xef\xbf\xbd"},
        {std::u16string(1, char16_t(0xDE00)) + u"A", "\xef\xbf\xbd"
                                                     "A"},
        {std::u16string(1, char16_t(0xD83D)) + u"A", "\xef\xbf\xbd"
                                                     "A"},
        {std::u16string(u"A\0B", 3), std::string("A\0B", 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
}

TEST(WindowsErrno, ClassifiesOpenErrors) {
    struct Case {
        std::uint32_t error;
        int expected;
    };
    const Case cases[] = {
        {5, EACCES},    // ERROR_ACCESS_DENIED
        {32, EACCES},   // ERROR_SHARING_VIOLATION
        {2, ENOENT},    // ERROR_FILE_NOT_FOUND
        {3, ENOENT},    // ERROR_PATH_NOT_FOUND
        {1167, ENODEV}, // ERROR_DEVICE_NOT_CONNECTED
        {55, ENODEV},   // ERROR_DEV_NOT_EXIST
        {31, ENODEV},   // ERROR_GEN_FAILURE
        {433, ENODEV},  // ERROR_NO_SUCH_DEVICE
        {1, EIO},       // ERROR_INVALID_FUNCTION
        {87, EIO},      // ERROR_INVALID_PARAMETER
        {0, EIO},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrnoOfWindowsError(c.error), c.expected) << c.error;
}

} // namespace
} // namespace miran::hid::windows_backend
