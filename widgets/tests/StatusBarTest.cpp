#include "widgets/StatusBar.h"

#include "Pixels.h"
#include "core/ComponentError.h"

#include <QApplication>
#include <QPainter>
#include <QStatusTipEvent>
#include <gtest/gtest.h>

using namespace miran::widgets;

namespace {

// The main window's bar: panels 250 and 50, a 94-pixel control hosted in panel 1.
class StatusBarTest : public testing::Test {
protected:
    StatusBarTest() {
        window_.resize(349, 224);
        bar_ = new TStatusBar(&window_);
        bar_->setGeometry(0, 205, 349, 19);
        bar_->setSizeGrip(false);
        bar_->AddPanel()->setWidth(250);
        bar_->AddPanel()->setWidth(50);
        hosted_ = new QWidget(&window_);
        hosted_->resize(94, 40);
        bar_->Panel(1)->setControl(hosted_);
        window_.show();
    }

    QWidget window_;
    TStatusBar* bar_;
    QWidget* hosted_;
};

} // namespace

TEST(StatusBarDefaults, PanelAndBarDefaults) {
    TStatusBar bar;
    EXPECT_EQ(bar.PanelCount(), 0);
    EXPECT_TRUE(bar.SizeGrip());
    EXPECT_TRUE(bar.UseSystemFont());
    EXPECT_EQ(bar.Color(), clBtnFace);
    EXPECT_FALSE(bar.AutoHint());
    EXPECT_EQ(bar.height(), 19);
    EXPECT_EQ(bar.PanelRect(0), bar.rect()); // one part across the whole bar
    TStatusPanel* panel = bar.AddPanel();
    EXPECT_EQ(panel->Text(), QString());
    EXPECT_EQ(panel->Width(), 50);
    EXPECT_EQ(panel->Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(panel->Bevel(), TStatusPanelBevel::pbLowered);
    EXPECT_EQ(panel->Style(), TStatusPanelStyle::psText);
    EXPECT_EQ(panel->Control(), nullptr);
    EXPECT_EQ(panel->MarginLeft(), 3);
    EXPECT_EQ(panel->MarginTop(), 3);
    bar.setFont(CrispFont(11));
    EXPECT_FALSE(bar.UseSystemFont());
}

TEST_F(StatusBarTest, HostedControlSitsInsideItsPanel) {
    EXPECT_EQ(hosted_->parentWidget(), bar_);
    EXPECT_TRUE(hosted_->isVisible());
    EXPECT_EQ(hosted_->geometry(), QRect(253, 3, 94, 15));
    EXPECT_EQ(bar_->PanelRect(0), QRect(0, 0, 250, 19));
    EXPECT_EQ(bar_->PanelRect(1), QRect(250, 0, 99, 19)); // the last panel stretches
}

TEST_F(StatusBarTest, ResizingTheBarKeepsTheControlsSizeAndPlace) {
    bar_->setGeometry(0, 180, 600, 40);
    EXPECT_EQ(hosted_->geometry(), QRect(253, 3, 94, 15));
    bar_->setGeometry(10, 100, 200, 10);
    EXPECT_EQ(hosted_->geometry(), QRect(253, 3, 94, 15));
}

TEST_F(StatusBarTest, PanelChangesMoveTheControlAtOnce) {
    bar_->Panel(0)->setWidth(200);
    EXPECT_EQ(hosted_->pos(), QPoint(203, 3));
    bar_->Panel(1)->setMarginLeft(10);
    EXPECT_EQ(hosted_->pos(), QPoint(210, 3));
    bar_->Panel(1)->setMarginTop(0);
    EXPECT_EQ(hosted_->pos(), QPoint(210, 0));
    bar_->RemovePanel(0);
    EXPECT_EQ(hosted_->pos(), QPoint(10, 0));
    EXPECT_EQ(bar_->Panel(0)->Control(), hosted_);
}

TEST_F(StatusBarTest, MarginsOfTheMainWindowPanel) {
    bar_->Panel(1)->setMarginLeft(10);
    EXPECT_EQ(hosted_->pos(), QPoint(260, 3));
}

TEST_F(StatusBarTest, AManuallyMovedControlIsPutBackByTheNextTrigger) {
    hosted_->move(0, 0);
    bar_->resize(400, 19);
    EXPECT_EQ(hosted_->pos(), QPoint(253, 3));
}

TEST_F(StatusBarTest, TheHeightIsSetOnlyWhenHosting) {
    hosted_->resize(94, 30);
    bar_->resize(349, 25);
    EXPECT_EQ(hosted_->size(), QSize(94, 30));
    bar_->Panel(1)->setControl(hosted_); // the same control again runs the hosting steps
    EXPECT_EQ(hosted_->size(), QSize(94, 21));
}

TEST_F(StatusBarTest, ADestroyedControlLeavesThePanelEmpty) {
    delete hosted_;
    EXPECT_EQ(bar_->Panel(1)->Control(), nullptr);
    bar_->Panel(0)->setWidth(100);
    bar_->resize(500, 19);
    bar_->Panel(1)->setMarginLeft(7);
    EXPECT_EQ(bar_->Panel(1)->Control(), nullptr);
}

TEST_F(StatusBarTest, TheBarCannotHostItself) {
    QWidget* other = new QWidget(bar_);
    bar_->Panel(0)->setControl(other);
    try {
        bar_->Panel(0)->setControl(bar_);
        FAIL();
    } catch (const miran::EComponentError& e) {
        EXPECT_STREQ(e.what(), "Invalid control selection");
    }
    EXPECT_EQ(bar_->Panel(0)->Control(), nullptr);
    EXPECT_EQ(other->parentWidget(), bar_);
    EXPECT_EQ(other->pos(), QPoint(3, 3));
    EXPECT_EQ(bar_->Panel(1)->Control(), hosted_);
    bar_->Panel(0)->setWidth(10); // no longer follows panel 0
    EXPECT_EQ(other->pos(), QPoint(3, 3));
    EXPECT_EQ(hosted_->pos(), QPoint(13, 3));
}

TEST_F(StatusBarTest, TwoPanelsHostTwoControls) {
    QWidget* first = new QWidget;
    first->resize(30, 5);
    bar_->Panel(0)->setControl(first);
    EXPECT_EQ(first->parentWidget(), bar_);
    EXPECT_EQ(first->geometry(), QRect(3, 3, 30, 15));
    EXPECT_EQ(hosted_->geometry(), QRect(253, 3, 94, 15));
    bar_->Panel(0)->setWidth(120);
    EXPECT_EQ(first->pos(), QPoint(3, 3));
    EXPECT_EQ(hosted_->pos(), QPoint(123, 3));
    bar_->Panel(0)->setControl(nullptr);
    EXPECT_EQ(bar_->Panel(0)->Control(), nullptr);
    EXPECT_EQ(first->parentWidget(), bar_);
}

TEST_F(StatusBarTest, RemovingAPanelReleasesItsControl) {
    bar_->RemovePanel(1);
    EXPECT_EQ(hosted_->parentWidget(), bar_);
    bar_->resize(300, 19);
    EXPECT_EQ(hosted_->pos(), QPoint(253, 3));
    delete hosted_; // no panel watches it any more
}

TEST_F(StatusBarTest, PanelTextIsDrawnInsideThePanel) {
    bar_->setUseSystemFont(false);
    bar_->setFont(CrispFont(11));
    SetPaletteColor(*bar_, QPalette::WindowText, QColor(255, 0, 0));
    EXPECT_FALSE(HasPixel(Snapshot(*bar_), QColor(255, 0, 0)));
    bar_->Panel(0)->setText("Device cannot be opened");
    const QImage image = Snapshot(*bar_);
    EXPECT_EQ(bar_->Panel(0)->Text(), QStringLiteral("Device cannot be opened"));
    EXPECT_TRUE(HasPixel(image.copy(0, 0, 250, 19), QColor(255, 0, 0)));
    EXPECT_FALSE(HasPixel(image.copy(250, 0, 99, 19), QColor(255, 0, 0)));
    bar_->Panel(0)->setText("");
    EXPECT_FALSE(HasPixel(Snapshot(*bar_), QColor(255, 0, 0)));
}

TEST_F(StatusBarTest, HintsReplaceThePanelsUntilEnded) {
    bar_->ShowHint("ignored without AutoHint");
    EXPECT_FALSE(bar_->HintShowing());
    bar_->setAutoHint(true);
    bar_->ShowHint("  Writes the firmware  ");
    EXPECT_TRUE(bar_->HintShowing());
    EXPECT_FALSE(hosted_->isVisible());
    bar_->ShowHint("Another hint");
    bar_->ShowHint(" ");
    EXPECT_FALSE(bar_->HintShowing());
    EXPECT_TRUE(hosted_->isVisible());

    bar_->ShowHint("again");
    bar_->Panel(0)->setText("any change ends the hint");
    EXPECT_FALSE(bar_->HintShowing());
    EXPECT_TRUE(hosted_->isVisible());
}

TEST_F(StatusBarTest, OwnerDrawnPanelsAreDrawnByTheHandler) {
    std::vector<std::pair<int, QRect>> drawn;
    bar_->OnDrawPanel = [&](TStatusBar* sender, TStatusPanel* panel, QPainter& painter, const QRect& area) {
        EXPECT_EQ(sender, bar_);
        drawn.emplace_back(panel->Index(), area);
        painter.fillRect(area, QColor(0, 0, 255));
    };
    bar_->Panel(0)->setStyle(TStatusPanelStyle::psOwnerDraw);
    const QImage image = Snapshot(*bar_);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].first, 0);
    EXPECT_TRUE(bar_->PanelRect(0).contains(drawn[0].second));
    EXPECT_EQ(image.pixelColor(drawn[0].second.center()), QColor(0, 0, 255));
    EXPECT_FALSE(HasPixel(image.copy(bar_->PanelRect(1)), QColor(0, 0, 255)));
}

TEST_F(StatusBarTest, RemovingAMissingPanelFails) {
    EXPECT_THROW(bar_->RemovePanel(2), std::out_of_range);
    EXPECT_THROW(bar_->RemovePanel(-1), std::out_of_range);
    EXPECT_EQ(bar_->PanelCount(), 2);
}

TEST_F(StatusBarTest, StatusTipsOfTheSameWindowBecomeHints) {
    bar_->setAutoHint(true);
    QWidget* button = new QWidget(&window_);
    QStatusTipEvent tip(QStringLiteral("Writes the Bios"));
    QApplication::sendEvent(button, &tip);
    EXPECT_TRUE(bar_->HintShowing());
    QStatusTipEvent none(QString{});
    QApplication::sendEvent(button, &none);
    EXPECT_FALSE(bar_->HintShowing());

    QWidget elsewhere;
    QApplication::sendEvent(&elsewhere, &tip);
    EXPECT_FALSE(bar_->HintShowing());
}
