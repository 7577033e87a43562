#include "paint/Color.h"

#include "core/ConvertError.h"
#include "paint/CaptionFormat.h"
#include "paint/Scaling.h"
#include "paint/StrToInt.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace miran::paint;

TEST(Scaling, MulDivRoundRoundsHalvesAwayFromZero) {
    struct Case {
        std::int64_t value, numerator, denominator, expected;
    };
    const Case cases[] = {
        {1, 1, 2, 1},
        {-1, 1, 2, -1},
        {5, 1, 2, 3},
        {-5, 1, 2, -3},
        {5, -1, 2, -3},
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {500, 92, 1000, 46},
        {53, 148, 100, 78},
        {2147483647, 2147483647, 2147483647, 2147483647},
        {-2147483648LL, 100, 4294967295LL, -50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDivRound(c.value, c.numerator, c.denominator), c.expected)
            << c.value << " * " << c.numerator << " / " << c.denominator;
}

TEST(Scaling, RoundHalfEvenForColours) {
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(-1.5), -2);
    EXPECT_EQ(RoundHalfEven(253.6), 254);
}

TEST(StrToInt, AcceptsDecimalAndHexadecimal) {
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("-12"), -12);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("$80000005"), static_cast<int>(0x80000005u));
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
}

TEST(StrToInt, RejectsOtherTextsWithTheConversionMessage) {
    for (const char* text : {"", "abc", "12a", "$", "- 1", "2147483648", "$100000000", "1.5"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << text;
        } catch (const miran::EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(TColor, NamesAndNumbersInThePlatformOrder) {
    EXPECT_EQ(TColor::FromString("clRed"), clRed);
    EXPECT_EQ(TColor::FromString("CLLIME"), clLime);
    EXPECT_EQ(TColor::FromString("clBtnFace"), clBtnFace);
    EXPECT_EQ(TColor::FromString("$0000FF"), clRed); // lowest byte is red
    EXPECT_EQ(TColor::FromString("$FF0000"), clBlue);
    EXPECT_EQ(TColor::FromString("65535"), clYellow);
    EXPECT_EQ(TColor::FromString("$8000000F"), clBtnFace);
    EXPECT_THROW(TColor::FromString("clNoSuchColour"), miran::EConvertError);
    EXPECT_THROW(TColor::FromNumber(0x800000FF), miran::EConvertError);
}

TEST(FormatCaption, TakesThePercentAsItsOneIntegerArgument) {
    EXPECT_EQ(FormatCaption("%d%%", 42), "42%");
    EXPECT_EQ(FormatCaption("Done:%4d", 7), "Done:   7");
    EXPECT_EQ(FormatCaption("%-3d|%.3d|%x", 10), "10 |010|a");
    EXPECT_EQ(FormatCaption("%d", -5), "-5");
    // Conversions that would need another argument stay as written instead of reading garbage.
    EXPECT_EQ(FormatCaption("%s %d %n", 1), "%s 1 %n");
}

TEST(FormatCaption, WidthsAndPrecisionsStopAtWhatAControlCanShow) {
    const std::string padded = std::string(kMaxCaptionField - 2, ' ') + "42";
    EXPECT_EQ(FormatCaption("%100000000d", 42), padded);
    EXPECT_EQ(FormatCaption("%2000000000d", 42), padded);
    EXPECT_EQ(FormatCaption("%99999999999999999999d", 42), padded); // beyond int as well
    EXPECT_EQ(FormatCaption("%-2000000000d|", 42), "42" + std::string(kMaxCaptionField - 2, ' ') + "|");
    EXPECT_EQ(FormatCaption("%.2000000000x", 255), std::string(kMaxCaptionField - 2, '0') + "ff");
    EXPECT_EQ(FormatCaption("%16384d", 7), FormatCaption("%16385d", 7));
    EXPECT_EQ(FormatCaption("%16383d", 7).size(), 16383);
}

TEST(StrToInt, TrimsWhiteSpaceButNoOtherControlCharacters) {
    EXPECT_EQ(StrToInt("\t7\r\n"), 7);
    EXPECT_EQ(StrToInt("\v$1F\f"), 31);
    EXPECT_THROW(StrToInt("\x01"
                          "7"),
                 miran::EConvertError);
}
