#include "paint/Markup.h"

#include "RecordingCanvas.h"
#include "core/ConvertError.h"

#include <gtest/gtest.h>

using namespace miran::paint;

namespace {

// Characters of the 20-pixel font are 20 wide (21 bold); a line is 24 high.
class MarkupTest : public testing::Test {
protected:
    MarkupTest() {
        style_.font.size = 20;
        style_.font.sizeInPixels = true;
    }

    int Width(std::string_view text, TRect rect = {}) {
        return MeasureMarkupWidth(canvas_, style_, rect, 0, 100, kDefaultSuperSubScriptRatio, text);
    }
    int Height(std::string_view text) {
        return MeasureMarkupHeight(canvas_, style_, 0, 100, kDefaultSuperSubScriptRatio, text);
    }
    int Advance(std::string_view text, int size = 20) {
        Font font = style_.font;
        font.size = size;
        return canvas_.TextWidth(text, font);
    }
    int TextHeight(int size = 20) { return size + 4; }

    std::optional<std::string> LinkAt(std::string_view text, TPoint point, TRect rect = {0, 0, 200, 100}) {
        return FindMarkupLink(canvas_, style_, rect, 0, 100, kDefaultSuperSubScriptRatio, text, point);
    }

    // The texts a pass draws, with their places.
    std::vector<RecordingCanvas::Text> Draw(std::string_view text, TPoint mouse = {},
                                            TOwnerDrawState state = 0) {
        RecordingCanvas canvas(200, 100);
        DrawMarkup(canvas, style_, {0, 0, 200, 100}, state, 100, kDefaultSuperSubScriptRatio, text, mouse);
        return canvas.texts;
    }

    RecordingCanvas canvas_{200, 100};
    MarkupStyle style_;
};

} // namespace

TEST_F(MarkupTest, TwoLinesMeasureAsTheWiderLineAndTwoTextHeights) {
    const std::string caption = "Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio";
    EXPECT_EQ(Width(caption),
              std::max(Advance("Enter 13 Digits to use POLY-MCU"), Advance("with Atmel-Studio")));
    EXPECT_EQ(Height(caption), 2 * TextHeight() + 1);
    const auto texts = Draw(caption);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].at, (TPoint{0, 0}));
    EXPECT_EQ(texts[1].text, "with Atmel-Studio");
    EXPECT_EQ(texts[1].at, (TPoint{0, TextHeight()}));
}

TEST_F(MarkupTest, LineBreaks) {
    EXPECT_EQ(Height("a<BR>b<bR>c"), 3 * TextHeight() + 1);
    // Line breaks typed into the text do not break the line.
    EXPECT_EQ(Height("a\r\nb\nc"), TextHeight() + 1);
    // A final break ends the last line without starting another one.
    EXPECT_EQ(Height("a<br>"), TextHeight() + 1);
    EXPECT_EQ(Height(""), TextHeight() + 1);
    EXPECT_EQ(Width(""), 0);
}

TEST_F(MarkupTest, EntitiesAndBrackets) {
    EXPECT_EQ(Width("a<b"), Advance("a") + Advance("b")); // a lone "<" is an empty tag
    EXPECT_EQ(Width("&lt;&GT;"), Advance("<>"));
    EXPECT_EQ(Width("&amp;&quot;&nbsp;"), Advance("&\" "));
    EXPECT_EQ(Width("&copy;&reg;&trade;&euro;"), Advance("\u00A9\u00AE\u2122\u20AC"));
    EXPECT_EQ(Draw("&lt;x")[0].text, "<x");
    EXPECT_EQ(Draw("&amp;lt;x")[0].text, "<x");
}

TEST_F(MarkupTest, FontSizeIsScaledByHalfTheSizeValue) {
    EXPECT_EQ(Width("<font size=4>ab</font>c"), Advance("ab", 40) + Advance("c"));
    EXPECT_EQ(Width("<font size=3>ab"), Advance("ab", 30));
    EXPECT_EQ(Height("<font size=4>x"), TextHeight(40) + 1);
}

TEST_F(MarkupTest, ScriptTagsChooseByTheThirdCharacter) {
    const int small = 13; // 20 * 2 / 3 rounded
    EXPECT_EQ(Width("<sup>xy</sup>z"), Advance("xy", small) + Advance("z"));
    EXPECT_EQ(Width("<sub>xy</s>z"), Advance("xy", small) + Advance("z"));
    EXPECT_EQ(Width("<s>xy</s>"), Advance("xy"));
    EXPECT_EQ(Width("<s>Pq"), Advance("Pq", small));
    EXPECT_EQ(Width("<S>Bq"), Advance("Bq", small));
    // A subscript sits on the bottom of the rectangle.
    EXPECT_EQ(Draw("<sub>x")[0].at, (TPoint{0, 100 - TextHeight(small) - 1}));
}

TEST_F(MarkupTest, IndentsAndTheirErrors) {
    EXPECT_EQ(Width("<ind=30>x"), 30 + Advance("x"));
    EXPECT_EQ(Width("<IND=\"7\">x"), 7 + Advance("x"));
    EXPECT_EQ(
        MeasureMarkupWidth(canvas_, style_, {}, odReserved1, 200, kDefaultSuperSubScriptRatio, "<ind=30>x"),
        60 + Advance("x"));
    try {
        Draw("a<ind=x1>b");
        FAIL();
    } catch (const miran::EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
}

TEST_F(MarkupTest, RulesAdvanceTheLineAndSpanTheRectangle) {
    const int h = TextHeight();
    EXPECT_EQ(Height("a<HR>b"), 2 + 3 * h + 1);
    EXPECT_EQ(Height("a<hr size=3>b"), 4 + 2 * h + 1);
    EXPECT_EQ(Height("a<HR>"), 2 + h + 1);

    style_.penColor = clBlue;
    RecordingCanvas canvas(50, 100);
    DrawMarkup(canvas, style_, {0, 0, 50, 100}, 0, 100, kDefaultSuperSubScriptRatio, "<HR>", {});
    for (int x = 0; x < 50; ++x) {
        ASSERT_EQ(canvas.At(x, h), clBlue) << x;
        ASSERT_EQ(canvas.At(x, h + 1), clWhite) << x;
        ASSERT_EQ(canvas.At(x, h - 1), clWhite) << x;
    }
}

TEST_F(MarkupTest, ColoursOfFontTagsAndLinks) {
    EXPECT_EQ(Draw("<font color=\"#0000FF\">W</font>")[0].color, clRed); // lowest byte is red
    EXPECT_EQ(Draw("<font color=clLime>W")[0].color, clLime);
    EXPECT_EQ(Draw("<font color=clLime>W", {}, odSelected)[0].color, clBlack);
    // BGCOLOR alone also sets the font colour (COLOR is found inside it).
    EXPECT_EQ(Draw("<font bgcolor=clBlue>W")[0].color, clBlue);
    EXPECT_THROW(Draw("<font color=nonsense>x"), miran::EConvertError);

    const std::string text = "ab<a href=\"http://Example.org/X\">link</a>cd";
    EXPECT_EQ(Draw(text)[1].color, clBlue);
    EXPECT_EQ(Draw(text)[2].color, clBlack);
    EXPECT_EQ(Draw(text, {Advance("ab") + 2, 5})[1].color, clRed);
}

TEST_F(MarkupTest, FindMarkupLinkHitsTheLinkBox) {
    const std::string text = "ab<a href='page 1'>link</a>cd<br>x<A HREF=two>y</A>";
    const int left = Advance("ab");
    const int right = left + Advance("link");
    EXPECT_EQ(LinkAt(text, {left, 0}), "page 1");
    EXPECT_EQ(LinkAt(text, {right, TextHeight()}), "page 1");
    EXPECT_EQ(LinkAt(text, {left - 1, 5}), std::nullopt);
    EXPECT_EQ(LinkAt(text, {right + 1, 5}), std::nullopt);
    EXPECT_EQ(LinkAt(text, {Advance("x") + 1, TextHeight() + 2}), "two");
    EXPECT_EQ(LinkAt("<a href=z>link", {0, 0}), std::nullopt); // (0, 0) never hits
    EXPECT_EQ(LinkAt("<a name=z>link", {3, 3}), std::nullopt);
}

TEST_F(MarkupTest, AlignmentPlacesTheRestOfTheLine) {
    const int width = Advance("XX");
    EXPECT_EQ(LinkAt("<align right><a href=t>XX</a>", {200 - width + 1, 5}), "t");
    EXPECT_EQ(LinkAt("<align right><a href=t>XX</a>", {200 - width - 2, 5}), std::nullopt);
    const int centre = (200 - width) / 2;
    EXPECT_EQ(LinkAt("<ALIGN CENTER><a href=t>XX</a>", {centre + 1, 5}), "t");
    EXPECT_EQ(LinkAt("<align right>a<br><a href=t>XX</a>", {200 - width + 1, TextHeight() + 2}), "t");
    EXPECT_EQ(Width("<align right>XX"), width); // an empty rectangle: every offset is 0
    const int title = Advance("title");
    EXPECT_EQ(LinkAt("<align center><a href=t>title</a><align right>XX", {(200 - title) / 2 + 1, 5}), "t");
}

TEST_F(MarkupTest, ClampsAndStyles) {
    EXPECT_EQ(Width("<font size=2147483647>x"), Advance("x", kMaxMarkupFontSize));
    EXPECT_EQ(Width("<font size=-2147483648>x"), Advance("x", 1));
    EXPECT_EQ(Width("<ind=2147483647>x"), kMaxMarkupExtent);
    EXPECT_EQ(Height("<hr size=2147483647>"), kMaxMarkupExtent + TextHeight() + 1);
    EXPECT_EQ(Width(std::string(1000, '<') + "ab" + std::string(1000, '<')), Advance("ab"));
    EXPECT_EQ(Width("<b>Wide</b>x"), 4 * 21 + Advance("x"));
    const auto texts = Draw("<b><i><u><s>x</s></u></i></b>y");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[0].font.bold && texts[0].font.italic && texts[0].font.underline &&
                texts[0].font.strikeOut);
    EXPECT_EQ(texts[1].font, style_.font);
}
