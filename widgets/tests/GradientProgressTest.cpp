#include "widgets/GradientProgress.h"

#include "Pixels.h"

#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

using namespace miran::widgets;

namespace {

const QColor kBackground(200, 190, 180);
const QColor kParent(1, 2, 3);

class ProgressTest : public testing::Test {
protected:
    ProgressTest() {
        FillBackground(parent_, kParent);
        parent_.resize(200, 40);
        bar_ = new TGradientProgress(&parent_);
        bar_->setColor(TColor(kBackground.red(), kBackground.green(), kBackground.blue()));
        parent_.show();
    }

    // The main window's progress bar.
    void MakePBar() {
        bar_->resize(94, 15);
        bar_->setSolid(true);
        bar_->setStartColor(clGreen);
        bar_->setEndColor(clLime);
        bar_->setMaximum(8704);
    }

    QImage Picture() { return Snapshot(*bar_); }

    // Every pixel of the inner rows in columns [x0, x1) has colour c.
    void ExpectColumns(const QImage& image, int x0, int x1, QColor c) {
        for (int x = x0; x < x1; ++x) {
            for (int y = 1; y < image.height() - 1; ++y)
                ASSERT_EQ(image.pixelColor(x, y), c) << "x " << x << ", y " << y;
        }
    }

    void ExpectFrame(const QImage& image, QColor c) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(image.pixelColor(x, 0), c) << x;
            ASSERT_EQ(image.pixelColor(x, image.height() - 1), c) << x;
        }
        for (int y = 0; y < image.height(); ++y) {
            ASSERT_EQ(image.pixelColor(0, y), c) << y;
            ASSERT_EQ(image.pixelColor(image.width() - 1, y), c) << y;
        }
    }

    QWidget parent_;
    TGradientProgress* bar_;
};

} // namespace

TEST_F(ProgressTest, Defaults) {
    TGradientProgress fresh;
    EXPECT_EQ(fresh.Minimum(), 0);
    EXPECT_EQ(fresh.Maximum(), 100);
    EXPECT_EQ(fresh.Position(), 0);
    EXPECT_EQ(fresh.StartColor(), clWhite);
    EXPECT_EQ(fresh.EndColor(), clBlack);
    EXPECT_FALSE(fresh.Solid());
    EXPECT_FALSE(fresh.GradientBlocks());
    EXPECT_EQ(fresh.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(fresh.TextOption(), TTextOption::toNoText);
    EXPECT_FALSE(fresh.TextCentered());
    EXPECT_EQ(fresh.Step(), 10);
    EXPECT_TRUE(fresh.ParentColor());
    EXPECT_EQ(fresh.size(), QSize(150, 15));
}

TEST_F(ProgressTest, HalfFullPBar) {
    MakePBar();
    bar_->setPosition(bar_->Maximum() / 2);
    EXPECT_EQ(bar_->FilledWidth(), 46);
    const QImage image = Picture();
    ASSERT_EQ(image.size(), QSize(94, 15));
    ExpectColumns(image, 1, 2, QColor(0, 128, 0));
    // Offset k has G = 128 + k * 127 / 46, rounded halves to even.
    ExpectColumns(image, 2, 3, QColor(0, 131, 0));
    ExpectColumns(image, 46, 47, QColor(0, 252, 0));
    ExpectColumns(image, 47, 93, kBackground);
    ExpectFrame(image, kBackground);
}

TEST_F(ProgressTest, FullPBarEndsOneStepShortOfTheEndColour) {
    MakePBar();
    bar_->setPosition(bar_->Maximum());
    EXPECT_EQ(bar_->FilledWidth(), 92);
    const QImage image = Picture();
    ExpectColumns(image, 1, 2, QColor(0, 128, 0));
    ExpectColumns(image, 92, 93, QColor(0, 254, 0));
    ExpectFrame(image, kBackground);
}

TEST_F(ProgressTest, GradientColumnsRoundHalvesToEven) {
    bar_->resize(10, 5); // 8 columns: steps of 255 / 8 = 31.875
    bar_->setSolid(true);
    bar_->setStartColor(clBlack);
    bar_->setEndColor(clWhite);
    bar_->setPosition(100);
    const QImage image = Picture();
    const int expected[8] = {0, 32, 64, 96, 128, 159, 191, 223};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(image.pixelColor(1 + k, 2), QColor(expected[k], expected[k], expected[k])) << k;
}

TEST_F(ProgressTest, GradientHalfStepsRoundToEven) {
    bar_->resize(10, 5); // 8 columns
    bar_->setSolid(true);
    bar_->setStartColor(TColor(10, 200, 0));
    bar_->setEndColor(TColor(14, 196, 8)); // steps of +0.5, -0.5 and 1 per column
    bar_->setPosition(100);
    const QImage image = Picture();
    // Red 10.5, 12.5 and green 198.5, 196.5 fall to the even neighbour.
    const QColor expected[8] = {{10, 200, 0}, {10, 200, 1}, {11, 199, 2}, {12, 198, 3},
                                {12, 198, 4}, {12, 198, 5}, {13, 197, 6}, {14, 196, 7}};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(image.pixelColor(1 + k, 2), expected[k]) << k;
}

TEST_F(ProgressTest, APartialLastBlockContinuesTheGradient) {
    bar_->resize(130, 15); // 128 inner columns: 12 full blocks and an 8-pixel one
    bar_->setStartColor(TColor(101, 60, 0));
    bar_->setEndColor(TColor(109, 52, 0)); // 1 / 16 and -1 / 16 per column
    bar_->setPosition(100);
    ASSERT_EQ(bar_->FilledWidth(), 128);
    ASSERT_TRUE(bar_->LastBlockPartial());
    ASSERT_EQ(bar_->LastBlockWidth(), 8);

    // Block i starts 10 * i steps in: red 101 + 0.625 i, green 60 - 0.625 i; the partial
    // block at 120 steps has red 108.5 and green 52.5, both rounded down to even.
    const int red[12] = {101, 102, 102, 103, 104, 104, 105, 105, 106, 107, 107, 108};
    const int green[12] = {60, 59, 59, 58, 58, 57, 56, 56, 55, 54, 54, 53};
    QImage image = Picture();
    for (int i = 0; i < 12; ++i)
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, QColor(red[i], green[i], 0));
    ExpectColumns(image, 121, 129, QColor(108, 52, 0));

    // Shaded blocks: the partial block's columns run on from step 120, one step each.
    bar_->setGradientBlocks(true);
    image = Picture();
    const QColor partial[8] = {{108, 52, 0}, {109, 52, 0}, {109, 52, 0}, {109, 52, 0},
                               {109, 52, 0}, {109, 52, 0}, {109, 52, 0}, {109, 52, 0}};
    for (int j = 0; j < 8; ++j)
        ExpectColumns(image, 121 + j, 122 + j, partial[j]);
    ExpectFrame(image, kBackground);
}

TEST_F(ProgressTest, PositionIsClampedToTheRange) {
    MakePBar();
    bar_->setPosition(100000);
    EXPECT_EQ(bar_->Position(), 8704);
    EXPECT_EQ(bar_->FilledWidth(), 92);
    bar_->setPosition(-5);
    EXPECT_EQ(bar_->Position(), 0);
    EXPECT_EQ(bar_->FilledWidth(), 0);
    const QImage image = Picture();
    ExpectColumns(image, 1, 93, kBackground);
    ExpectFrame(image, kBackground);
}

TEST_F(ProgressTest, MaximumBelowMinimumCollapsesTheRange) {
    bar_->setSolid(true);
    bar_->setMinimum(10);
    bar_->setPosition(60);
    const int filled = bar_->FilledWidth();
    EXPECT_EQ(filled, 82);
    bar_->setMaximum(5);
    EXPECT_EQ(bar_->Maximum(), 10);
    EXPECT_EQ(bar_->Position(), 10);
    EXPECT_EQ(bar_->PercentDone(), 0);
    EXPECT_EQ(bar_->FilledWidth(), filled);

    bar_->setMaximum(100);
    bar_->setMinimum(200);
    EXPECT_EQ(bar_->Minimum(), 100);
    EXPECT_EQ(bar_->Position(), 100);
}

TEST_F(ProgressTest, PercentDoneRoundsHalvesAwayFromZero) {
    bar_->setMaximum(8);
    bar_->setPosition(1); // 12.5
    EXPECT_EQ(bar_->PercentDone(), 13);
    bar_->setMinimum(-8);
    bar_->setMaximum(0);
    bar_->setPosition(-3); // 62.5
    EXPECT_EQ(bar_->PercentDone(), 63);
}

TEST_F(ProgressTest, BlockModeAdvancesInWholeBlocks) {
    bar_->setStartColor(clRed);
    bar_->setEndColor(clRed);
    const QColor red(255, 0, 0);
    struct Case {
        int position, filled, blocks;
    };
    for (const Case& c : {Case{50, 70, 7}, Case{53, 80, 8}, Case{100, 148, 15}, Case{0, 0, 0}}) {
        bar_->setPosition(c.position);
        EXPECT_EQ(bar_->FilledWidth(), c.filled) << c.position;
        EXPECT_EQ(bar_->BlockCount(), c.blocks) << c.position;
    }

    EXPECT_EQ(bar_->BlockWidth(), 10);
    bar_->setPosition(100);
    EXPECT_TRUE(bar_->LastBlockPartial());
    EXPECT_EQ(bar_->LastBlockWidth(), 8);

    bar_->setPosition(53);
    EXPECT_FALSE(bar_->LastBlockPartial());
    QImage image = Picture();
    for (int i = 0; i < 8; ++i) {
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, red);
        ExpectColumns(image, i * 10 + 10, i * 10 + 11, kBackground);
    }
    ExpectColumns(image, 81, 149, kBackground);

    bar_->setPosition(100); // 14 full blocks and an 8-pixel one up to the inner right edge
    image = Picture();
    for (int i = 0; i < 14; ++i) {
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, red);
        ExpectColumns(image, i * 10 + 10, i * 10 + 11, kBackground);
    }
    ExpectColumns(image, 141, 149, red);
    ExpectFrame(image, kBackground);
}

TEST_F(ProgressTest, BlockColoursFollowTheGradient) {
    bar_->setStartColor(clBlack);
    bar_->setEndColor(TColor(0, 0, 140)); // 140 / 70 = 2 per column
    bar_->setPosition(50);
    QImage image = Picture();
    for (int i = 0; i < 7; ++i)
        ExpectColumns(image, 1 + i * 10, i * 10 + 10, QColor(0, 0, 20 * i));

    bar_->setGradientBlocks(true);
    image = Picture();
    for (int i = 0; i < 7; ++i) {
        for (int j = 0; j < 9; ++j)
            ExpectColumns(image, 1 + i * 10 + j, 2 + i * 10 + j, QColor(0, 0, 20 * i + 2 * j));
    }
}

TEST_F(ProgressTest, EqualColoursFillWithThatColourInBothModes) {
    bar_->setStartColor(clYellow);
    bar_->setEndColor(clYellow);
    bar_->setPosition(30);
    ExpectColumns(Picture(), 1, 10, QColor(255, 255, 0));
    bar_->setSolid(true);
    EXPECT_EQ(bar_->FilledWidth(), 44);
    ExpectColumns(Picture(), 1, 45, QColor(255, 255, 0));
}

TEST_F(ProgressTest, ASingleBorderHasThreeRings) {
    SetPaletteColor(*bar_, QPalette::Button, QColor(11, 11, 11));
    SetPaletteColor(*bar_, QPalette::Dark, QColor(22, 22, 22));
    SetPaletteColor(*bar_, QPalette::Light, QColor(33, 33, 33));
    SetPaletteColor(*bar_, QPalette::Shadow, QColor(44, 44, 44));
    bar_->setBorderStyle(TBorderStyle::bsSingle);
    bar_->setSolid(true);
    bar_->setStartColor(clRed);
    bar_->setEndColor(clRed);
    bar_->setPosition(100);
    const QImage image = Picture();
    const int r = 149, b = 14;
    EXPECT_EQ(image.pixelColor(0, 0), QColor(11, 11, 11));
    EXPECT_EQ(image.pixelColor(r, b), QColor(11, 11, 11));
    EXPECT_EQ(image.pixelColor(1, 1), QColor(22, 22, 22));
    EXPECT_EQ(image.pixelColor(50, 1), QColor(22, 22, 22));
    EXPECT_EQ(image.pixelColor(1, 7), QColor(22, 22, 22));
    EXPECT_EQ(image.pixelColor(r - 1, 1), QColor(33, 33, 33)); // far corner takes the second colour
    EXPECT_EQ(image.pixelColor(1, b - 1), QColor(33, 33, 33));
    EXPECT_EQ(image.pixelColor(50, b - 1), QColor(33, 33, 33));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(44, 44, 44));
    EXPECT_EQ(image.pixelColor(r - 2, b - 2), QColor(11, 11, 11));
    EXPECT_EQ(image.pixelColor(3, 3), QColor(255, 0, 0));
}

TEST_F(ProgressTest, TinyControlsShowNothing) {
    bar_->setSolid(true);
    bar_->setPosition(50);
    for (QSize size : {QSize(2, 15), QSize(150, 2), QSize(1, 1)}) {
        bar_->setGeometry(QRect(QPoint(5, 5), size));
        const QImage image = Snapshot(parent_);
        for (int y = 5; y < 5 + size.height(); ++y) {
            for (int x = 5; x < 5 + size.width(); ++x)
                ASSERT_EQ(image.pixelColor(x, y), kParent) << size.width() << "x" << size.height();
        }
    }
    bar_->setGeometry(5, 5, 3, 3);
    EXPECT_NE(Snapshot(parent_).pixelColor(6, 6), kParent);
}

TEST_F(ProgressTest, ResizingRecomputesTheFillAtTheNextPaint) {
    bar_->setSolid(true);
    bar_->setPosition(50);
    EXPECT_EQ(bar_->FilledWidth(), 74);
    bar_->resize(52, 15);
    Picture();
    EXPECT_EQ(bar_->FilledWidth(), 25);
}

TEST_F(ProgressTest, PercentTextOnAnEmptyBarStartsAtXZero) {
    bar_->setFont(CrispFont(12));
    SetPaletteColor(*bar_, QPalette::WindowText, Qt::black);
    const QImage plain = Picture();
    bar_->setTextOption(TTextOption::toPercent);
    const QImage withText = Picture();
    ASSERT_NE(plain, withText);

    // The same text drawn by hand at x = 0, then the frame over it.
    QImage expected = plain;
    {
        QPainter painter(&expected);
        painter.setFont(bar_->font());
        painter.setPen(Qt::black);
        const QFontMetrics metrics(bar_->font());
        painter.drawText(0, (15 - metrics.height()) / 2 + metrics.ascent(), QStringLiteral("0%"));
        painter.setPen(kBackground);
        painter.drawRect(0, 0, 149, 14);
    }
    EXPECT_EQ(withText, expected);
}

TEST_F(ProgressTest, CenteredFormatText) {
    bar_->setFont(CrispFont(12));
    bar_->setCaption(QStringLiteral("%d of 100"));
    bar_->setTextOption(TTextOption::toFormat);
    bar_->setTextCentered(true);
    bar_->setPosition(7);
    const QImage withText = Picture();
    bar_->setTextOption(TTextOption::toNoText);
    QImage expected = Picture();
    {
        QPainter painter(&expected);
        painter.setFont(bar_->font());
        painter.setPen(bar_->palette().color(QPalette::WindowText));
        const QFontMetrics metrics(bar_->font());
        const QString text = QStringLiteral("7 of 100");
        painter.drawText((150 - metrics.horizontalAdvance(text)) / 2,
                         (15 - metrics.height()) / 2 + metrics.ascent(), text);
        painter.setPen(kBackground);
        painter.drawRect(0, 0, 149, 14);
    }
    EXPECT_EQ(withText, expected);
}

TEST_F(ProgressTest, AHugeFieldWidthShowsOnlyPadding) {
    bar_->resize(94, 15);
    bar_->setFont(CrispFont(12));
    bar_->setTextOption(TTextOption::toFormat);
    bar_->setCaption(QStringLiteral("%200d"));
    const QImage padding = Picture(); // the digits lie beyond the bar
    bar_->setCaption(QStringLiteral("%2000000000d"));
    EXPECT_EQ(Picture(), padding);
}

TEST_F(ProgressTest, FollowsTheParentsColourUntilGivenItsOwn) {
    TGradientProgress* child = new TGradientProgress(&parent_);
    EXPECT_TRUE(child->ParentColor());
    child->show();
    EXPECT_EQ(Snapshot(*child).pixelColor(5, 5), kParent);
    child->setColor(clRed);
    EXPECT_FALSE(child->ParentColor());
    EXPECT_EQ(Snapshot(*child).pixelColor(5, 5), QColor(255, 0, 0));
}
