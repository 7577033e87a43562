#include "widgets/Markup.h"

#include "Pixels.h"
#include "core/ConvertError.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace miran::widgets;

namespace {

class MarkupTest : public testing::Test {
protected:
    MarkupTest() { canvas_.font = CrispFont(20); }

    int Width(const QString& text, QRect rect = {}) {
        return MeasureMarkupWidth(canvas_, rect, 0, 100, kDefaultSuperSubScriptRatio, text);
    }
    int Height(const QString& text) {
        return MeasureMarkupHeight(canvas_, 0, 100, kDefaultSuperSubScriptRatio, text);
    }
    int Advance(const QString& text, int pixelSize = 20) {
        return QFontMetrics(CrispFont(pixelSize)).horizontalAdvance(text);
    }
    int TextHeight(int pixelSize = 20) { return QFontMetrics(CrispFont(pixelSize)).height(); }

    QImage Draw(const QString& text, QSize size = {200, 100}, TOwnerDrawState state = 0) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        canvas_.painter = &painter;
        DrawMarkup(canvas_, QRect(QPoint(0, 0), size), state, 100, kDefaultSuperSubScriptRatio, text, {});
        canvas_.painter = nullptr;
        return image;
    }

    std::optional<QString> LinkAt(const QString& text, QPoint point, QRect rect = {0, 0, 200, 100}) {
        return FindMarkupLink(canvas_, rect, 0, 100, kDefaultSuperSubScriptRatio, text, point);
    }

    MarkupCanvas canvas_;
};

} // namespace

TEST_F(MarkupTest, TwoLinesMeasureAsTheWiderLineAndTwoTextHeights) {
    const QString caption = QStringLiteral("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio");
    EXPECT_EQ(Width(caption),
              std::max(Advance("Enter 13 Digits to use POLY-MCU"), Advance("with Atmel-Studio")));
    EXPECT_EQ(Height(caption), 2 * TextHeight() + 1);
}

TEST_F(MarkupTest, LineBreaks) {
    EXPECT_EQ(Height("a<BR>b<bR>c"), 3 * TextHeight() + 1);
    // Line breaks typed into the text do not break the line.
    EXPECT_EQ(Height("a\r\nb\nc"), TextHeight() + 1);
    EXPECT_EQ(Draw("a\r\nb"), Draw("ab"));
    // A final break ends the last line without starting another one.
    EXPECT_EQ(Height("a<br>"), TextHeight() + 1);
    EXPECT_EQ(Height(""), TextHeight() + 1);
    EXPECT_EQ(Width(""), 0);
}

TEST_F(MarkupTest, EntitiesAndBrackets) {
    EXPECT_EQ(Width("a<b"), Advance("a") + Advance("b")); // a lone "<" is an empty tag
    EXPECT_EQ(Draw("a<b"), Draw("a<>b"));
    EXPECT_EQ(Width("&lt;&GT;"), Advance("<>"));
    EXPECT_EQ(Width("&amp;&quot;&nbsp;"), Advance("&\" "));
    EXPECT_EQ(Width("&copy;&reg;&trade;&euro;"), Advance(QStringLiteral("\u00A9\u00AE\u2122\u20AC")));
    EXPECT_EQ(Draw("&lt;x"), Draw("&amp;lt;x"));

    QImage expected(200, 100, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.setFont(canvas_.font);
        painter.drawText(0, QFontMetrics(canvas_.font).ascent(), QStringLiteral("<"));
    }
    EXPECT_EQ(Draw("&lt;"), expected);
}

TEST_F(MarkupTest, UnknownTagsAreIgnored) {
    EXPECT_EQ(Draw("x<p>y<zz a=1>"), Draw("x<>y"));
}

TEST_F(MarkupTest, FontSizeIsScaledByHalfTheSizeValue) {
    EXPECT_EQ(Width("<font size=4>ab</font>c"), Advance("ab", 40) + Advance("c"));
    EXPECT_EQ(Width("<font size=3>ab"), Advance("ab", 30));
    EXPECT_EQ(Width("<font>ab"), Advance("ab"));
    EXPECT_EQ(Height("<font size=4>x"), QFontMetrics(CrispFont(40)).height() + 1);
}

TEST_F(MarkupTest, ScriptTagsChooseByTheThirdCharacter) {
    const int small = 13; // 20 * 2 / 3 rounded
    EXPECT_EQ(Width("<sup>xy</sup>z"), Advance("xy", small) + Advance("z"));
    EXPECT_EQ(Width("<sub>xy</s>z"), Advance("xy", small) + Advance("z"));
    EXPECT_EQ(Width("<s>xy</s>"), Advance("xy"));
    EXPECT_EQ(Width("<strike>xy"), Advance("xy"));
    // After a bare S tag a text starting with P or B selects a script mode.
    EXPECT_EQ(Width("<s>Pq"), Advance("Pq", small));
    EXPECT_EQ(Width("<S>Bq"), Advance("Bq", small));
    EXPECT_EQ(MeasureMarkupWidth(canvas_, {}, 0, 100, 0.5, "<sup>xy"), Advance("xy", 10));
}

TEST_F(MarkupTest, IndentMovesTheLinePosition) {
    EXPECT_EQ(Width("<ind=30>x"), 30 + Advance("x"));
    EXPECT_EQ(Width("<IND=\"7\">x"), 7 + Advance("x"));
    EXPECT_EQ(MeasureMarkupWidth(canvas_, {}, odReserved1, 200, kDefaultSuperSubScriptRatio, "<ind=30>x"),
              60 + Advance("x"));
}

TEST_F(MarkupTest, AnIndentThatIsNotAnIntegerIsAConversionError) {
    try {
        Draw("a<ind=x1>b");
        FAIL();
    } catch (const miran::EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
    EXPECT_THROW(Width("<IND>"), miran::EConvertError);
}

TEST_F(MarkupTest, RulesAdvanceTheLine) {
    const int h = TextHeight();
    // "<HR>" ends its line: pen width + 1 and two text heights before the next line.
    EXPECT_EQ(Height("a<HR>b"), 2 + 3 * h + 1);
    EXPECT_EQ(Height("a<hr size=3>b"), 4 + 2 * h + 1);
    EXPECT_EQ(Height("a<HR size=3>"), 4 + h + 1);
    EXPECT_EQ(Height("a<HR>"), 2 + h + 1);
    EXPECT_EQ(Width("abc<hr size=2>d"), Advance("abc"));
}

TEST_F(MarkupTest, RulesAreDrawnAcrossTheRectangleBelowTheLine) {
    canvas_.penColor = Qt::blue;
    const int y = TextHeight();
    const QImage image = Draw("<HR>", {50, 100});
    for (int x = 0; x < 50; ++x) {
        ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::blue)) << x;
        ASSERT_EQ(image.pixelColor(x, y + 1), QColor(Qt::white)) << x;
        ASSERT_EQ(image.pixelColor(x, y - 1), QColor(Qt::white)) << x;
    }
    // Disabled rules take the font colour.
    canvas_.fontColor = Qt::green;
    EXPECT_EQ(Draw("<HR>", {50, 100}, odDisabled).pixelColor(10, y), QColor(Qt::green));
}

TEST_F(MarkupTest, FontColoursInThePlatformsByteOrder) {
    EXPECT_TRUE(HasPixel(Draw("<font color=\"#0000FF\">W</font>"), QColor(255, 0, 0)));
    EXPECT_FALSE(HasPixel(Draw("<font color=\"#0000FF\">W</font>"), QColor(0, 0, 255)));
    EXPECT_TRUE(HasPixel(Draw("<font color=clLime>W"), QColor(0, 255, 0)));
    EXPECT_TRUE(HasPixel(Draw("<font color='$00FFFF'>W"), QColor(255, 255, 0)));
    // Selected and disabled drawing suppress markup colours.
    EXPECT_FALSE(HasPixel(Draw("<font color=clLime>W", {200, 100}, odSelected), QColor(0, 255, 0)));
}

TEST_F(MarkupTest, BackgroundColourAlsoSetsTheFontColour) {
    canvas_.brushClear = true; // a transparent label
    const QImage image = Draw("<font bgcolor=\"#FF0000\">WWW</font>x");
    const QRect cell(0, 0, Advance("WWW"), TextHeight());
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x)
            ASSERT_EQ(image.pixelColor(x, y), QColor(0, 0, 255)) << x << "," << y;
    }
    // Written before BGCOLOR, COLOR is found first and the text shows.
    EXPECT_TRUE(HasPixel(Draw("<font color=clYellow bgcolor=clBlue>WWW"), QColor(255, 255, 0)));
    // After the closing tag the background is clear again.
    EXPECT_EQ(image.pixelColor(cell.right() + 2, 0), QColor(Qt::white));
}

TEST_F(MarkupTest, AMalformedColourIsAConversionError) {
    EXPECT_THROW(Draw("<font color=nonsense>x"), miran::EConvertError);
}

TEST_F(MarkupTest, LinksAreBlueAndRedUnderTheMouse) {
    const QString text = QStringLiteral("ab<a href=\"http://Example.org/X\">link</a>cd");
    const QImage image = Draw(text);
    EXPECT_TRUE(HasPixel(image, QColor(0, 0, 255)));
    EXPECT_FALSE(HasPixel(image, QColor(255, 0, 0)));

    QImage hovered(200, 100, QImage::Format_RGB32);
    hovered.fill(Qt::white);
    QPainter painter(&hovered);
    canvas_.painter = &painter;
    const QPoint inside(Advance("ab") + 2, 5);
    EXPECT_EQ(DrawMarkup(canvas_, QRect(0, 0, 200, 100), 0, 100, kDefaultSuperSubScriptRatio, text, inside),
              QStringLiteral("http://Example.org/X"));
    painter.end();
    EXPECT_TRUE(HasPixel(hovered, QColor(255, 0, 0)));
    EXPECT_FALSE(HasPixel(hovered, QColor(0, 0, 255)));
}

TEST_F(MarkupTest, FindMarkupLinkHitsTheLinkBox) {
    const QString text = QStringLiteral("ab<a href='page 1'>link</a>cd<br>x<A HREF=two>y</A>");
    const int left = Advance("ab");
    const int right = left + Advance("link");
    EXPECT_EQ(LinkAt(text, {left, 0}), QStringLiteral("page 1"));
    EXPECT_EQ(LinkAt(text, {right, TextHeight()}), QStringLiteral("page 1"));
    EXPECT_EQ(LinkAt(text, {left - 1, 5}), std::nullopt);
    EXPECT_EQ(LinkAt(text, {right + 1, 5}), std::nullopt);
    EXPECT_EQ(LinkAt(text, {Advance("x") + 1, TextHeight() + 2}), QStringLiteral("two"));
    EXPECT_EQ(LinkAt("<a href=z>link", {0, 0}), std::nullopt); // (0, 0) never hits
    EXPECT_EQ(LinkAt("<a name=z>link", {3, 3}), std::nullopt);
}

TEST_F(MarkupTest, AlignmentPlacesTheRestOfTheLine) {
    const QString right = QStringLiteral("<align right><a href=t>XX</a>");
    const int width = Advance("XX");
    EXPECT_EQ(LinkAt(right, {200 - width + 1, 5}), QStringLiteral("t"));
    EXPECT_EQ(LinkAt(right, {200 - width - 2, 5}), std::nullopt);
    const int centre = (200 - width) / 2;
    EXPECT_EQ(LinkAt("<ALIGN CENTER><a href=t>XX</a>", {centre + 1, 5}), QStringLiteral("t"));
    EXPECT_EQ(LinkAt("<ALIGN CENTER><a href=t>XX</a>", {centre - 2, 5}), std::nullopt);
    // The alignment persists on the next line.
    EXPECT_EQ(LinkAt("<align right>a<br><a href=t>XX</a>", {200 - width + 1, TextHeight() + 2}),
              QStringLiteral("t"));
    // Measuring uses an empty rectangle, where every offset is 0.
    EXPECT_EQ(Width("<align right>XX"), width);
}

TEST_F(MarkupTest, AnAlignmentTagPlacesTheTextUpToTheNextOne) {
    const int title = Advance("title");
    const QString line = QStringLiteral("<align center><a href=t>title</a><align right>XX");
    EXPECT_EQ(LinkAt(line, {(200 - title) / 2 + 1, 5}), QStringLiteral("t"));
    EXPECT_EQ(LinkAt(line, {(200 - title) / 2 - 2, 5}), std::nullopt);
    // A line that starts in right alignment is measured up to its first alignment tag.
    const int bb = Advance("bb");
    EXPECT_EQ(LinkAt("<align right>a<br><a href=t>bb</a><align left>c", {200 - bb + 1, TextHeight() + 2}),
              QStringLiteral("t"));
}

TEST_F(MarkupTest, ManyTagsAndLoneBracketsKeepTheirMeaning) {
    QString aligned;
    for (int i = 0; i < 300; ++i)
        aligned += QStringLiteral("<align right>x");
    const int x = Advance("x");
    EXPECT_EQ(LinkAt(aligned + "<a href=t>XX</a>", {200 - Advance("XX") + 1, 5}), QStringLiteral("t"));
    EXPECT_EQ(Width(aligned), x);
    EXPECT_EQ(Width(QString(1000, u'<') + "ab" + QString(1000, u'<')), Advance("ab"));
    EXPECT_EQ(Draw(QString(1000, u'<') + "ab"), Draw("ab"));
    // Only the first ">" closes a tag, so a "<" inside a tag is part of it.
    EXPECT_EQ(Draw("a<<b>x"), Draw("ax"));
}

TEST_F(MarkupTest, FontSizesAreClampedToWhatCanBeShown) {
    const int largest = kMaxMarkupFontSize;
    EXPECT_EQ(Width("<font size=2147483647>x"), Advance("x", largest));
    EXPECT_EQ(Height("<font size=2147483647>x"), TextHeight(largest) + 1);
    QString growing;
    for (int i = 0; i < 40; ++i)
        growing += QStringLiteral("<font size=4>");
    EXPECT_EQ(Width(growing + "x"), Advance("x", largest));
    EXPECT_EQ(Width("<font size=-2147483648>x"), Advance("x", 1));
    // Script sizes take the ratio from the largest size; a ratio of any size stays in range.
    EXPECT_EQ(Width("<font size=2147483647><sup>x"), Advance("x", 2731)); // 4096 * 2 / 3
    EXPECT_EQ(MeasureMarkupWidth(canvas_, {}, 0, 100, 1e300, "<sup>x"), Advance("x", largest));
    EXPECT_EQ(MeasureMarkupWidth(canvas_, {}, 0, 100, std::nan(""), "<sup>x"), Advance("x", 1));
    EXPECT_EQ(MeasureMarkupWidth(canvas_, {}, 0, 100, -2, "<sup>x"), Advance("x", 1));
}

TEST_F(MarkupTest, IndentsAndRulesAreClampedToTheLargestWidget) {
    const int largest = kMaxMarkupExtent;
    EXPECT_EQ(Width("<ind=2147483647>x"), largest);
    EXPECT_EQ(Width("<ind=16777200>xxxxxxxxxx"), largest);
    EXPECT_EQ(Width("<ind=-2147483648>x<br>y"), Advance("y"));
    EXPECT_EQ(
        MeasureMarkupWidth(canvas_, {}, odReserved1, 2147483647, kDefaultSuperSubScriptRatio, "<ind=30000>"),
        largest);
    EXPECT_EQ(Height("<hr size=2147483647>"), largest + TextHeight() + 1);
    EXPECT_EQ(Height("<hr size=2147483647><hr size=2147483647>"), largest + TextHeight() + 1);
    EXPECT_EQ(Height("<hr size=-5>"), 2 + TextHeight() + 1); // at least one pixel
    const QImage image = Draw("<hr size=2147483647>", {50, 100});
    EXPECT_EQ(image.pixelColor(10, 50), QColor(Qt::black));
}

TEST_F(MarkupTest, StylesAreRestoredAfterThePass) {
    canvas_.fontColor = Qt::darkGreen;
    canvas_.brushColor = Qt::gray;
    canvas_.brushClear = true;
    Draw("<b><i><u><s>x<font color=clRed bgcolor=clBlue>y");
    EXPECT_FALSE(canvas_.font.bold());
    EXPECT_FALSE(canvas_.font.italic());
    EXPECT_FALSE(canvas_.font.underline());
    EXPECT_FALSE(canvas_.font.strikeOut());
    EXPECT_EQ(canvas_.fontColor, QColor(Qt::darkGreen));
    EXPECT_EQ(canvas_.brushColor, QColor(Qt::gray));
    EXPECT_TRUE(canvas_.brushClear);
}

TEST_F(MarkupTest, StyleTagsChangeTheFont) {
    QFont bold = CrispFont(20);
    bold.setBold(true);
    EXPECT_EQ(Width("<b>Wide</b>x"), QFontMetrics(bold).horizontalAdvance("Wide") + Advance("x"));
    EXPECT_NE(Draw("<u>x</u>"), Draw("x"));
    EXPECT_EQ(Draw("<u>x</u>y"), Draw("<u>x</U>y"));
    EXPECT_NE(Draw("<i>W"), Draw("W"));
    EXPECT_EQ(Draw("<ind=0>W"), Draw("W")); // IND is the indent tag, not italic
}
