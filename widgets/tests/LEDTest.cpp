#include "widgets/LED.h"

#include "Pixels.h"

#include <QProperty>
#include <QTimer>
#include <gtest/gtest.h>

using namespace miran::widgets;

namespace {

// The lamp shape: '.' background, 'g' grey outline, 'w' white highlight, 'L' lamp colour.
constexpr const char* kLamp[17] = {
    ".................", ".................", "......ggggg......", "....ggLLLLLgg....", "...gLLLLLLLLLg...",
    "...gLLwwwLLLLg...", "..gLLwwwLLLLLLg..", "..gLLwwLLLLLLLg..", "..gLLwLLLLLLLLg..", "..gLLLLLLLLLLLg..",
    "..gLLLLLLLLLLLg..", "...gLLLLLLLLLg...", "...gLLLLLLLLLg...", "....ggLLLLLgg....", "......gggggg.....",
    ".................", ".................",
};

const QColor kBackground(10, 20, 30);

class LEDTest : public testing::Test {
protected:
    LEDTest() {
        FillBackground(parent_, kBackground);
        parent_.resize(40, 40);
        led_ = new TLED(&parent_);
        parent_.show();
    }

    // Compares the lamp drawn at (left, top) of the parent with the shape, lamp pixels in lamp.
    void ExpectLamp(QColor lamp, int left = 0, int top = 0) {
        const QImage image = Snapshot(parent_);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 17; ++x) {
                const int px = left + x, py = top + y;
                if (px < led_->x() || py < led_->y() || px >= led_->x() + led_->width() ||
                    py >= led_->y() + led_->height())
                    continue; // cut off by the control's edge
                QColor expected = kBackground;
                switch (kLamp[y][x]) {
                case 'g':
                    expected = QColor(128, 128, 128);
                    break;
                case 'w':
                    expected = Qt::white;
                    break;
                case 'L':
                    expected = lamp;
                    break;
                }
                ASSERT_EQ(image.pixelColor(px, py), expected) << "row " << y << ", column " << x;
            }
        }
    }

    void Tick() { QMetaObject::invokeMethod(led_->findChild<QTimer*>(), "timeout"); }

    QWidget parent_;
    TLED* led_;
};

} // namespace

TEST_F(LEDTest, DefaultsAreAnOnLimeLamp) {
    EXPECT_TRUE(led_->Status());
    EXPECT_EQ(led_->ColorOn(), clLime);
    EXPECT_EQ(led_->ColorOff(), clRed);
    EXPECT_EQ(led_->Color(), clLime);
    EXPECT_FALSE(led_->Active());
    EXPECT_EQ(led_->Interval(), 1000u);
    EXPECT_FALSE(led_->AutoSize());
    EXPECT_EQ(led_->size(), QSize(17, 17));
    ExpectLamp(QColor(0, 255, 0));
}

TEST_F(LEDTest, OffShowsARedLampOnTheParentsBackground) {
    led_->setStatus(false);
    EXPECT_EQ(led_->Color(), clRed);
    ExpectLamp(QColor(255, 0, 0));
}

TEST_F(LEDTest, ColorOnChangesTheLampOnlyWhileOn) {
    led_->setColorOn(clYellow);
    ExpectLamp(QColor(255, 255, 0));
    led_->setColorOn(clLime);
    ExpectLamp(QColor(0, 255, 0));

    led_->setStatus(false);
    const int builds = led_->RecolorCount();
    led_->setColorOn(clYellow);
    EXPECT_EQ(led_->RecolorCount(), builds);
    ExpectLamp(QColor(255, 0, 0));
    led_->setStatus(true);
    ExpectLamp(QColor(255, 255, 0));
}

TEST_F(LEDTest, AnEqualColourDoesNotReloadTheImage) {
    const int builds = led_->RecolorCount();
    led_->setColorOn(clLime);
    led_->setColorOff(clLime);
    led_->setStatus(true);
    led_->setColor(clLime);
    EXPECT_EQ(led_->RecolorCount(), builds);
    led_->setColorOff(clRed);
    EXPECT_EQ(led_->RecolorCount(), builds);
    led_->setStatus(false);
    EXPECT_EQ(led_->RecolorCount(), builds + 1);
}

TEST_F(LEDTest, AWhiteLampMergesBodyAndHighlightButKeepsTheOutline) {
    led_->setColorOn(clWhite);
    ExpectLamp(Qt::white);
}

TEST_F(LEDTest, SystemColoursAreResolvedThroughThePalette) {
    SetPaletteColor(*led_, QPalette::Button, QColor(12, 34, 56));
    led_->setColorOn(clBtnFace);
    ExpectLamp(QColor(12, 34, 56));
    SetPaletteColor(*led_, QPalette::Button, QColor(78, 90, 12));
    ExpectLamp(QColor(78, 90, 12));
}

TEST_F(LEDTest, TheLampIsCentredInALargerControl) {
    led_->setGeometry(5, 5, 20, 20);
    ExpectLamp(QColor(0, 255, 0), 6, 6);
}

TEST_F(LEDTest, ASmallerControlShowsTheCentreOfTheLamp) {
    led_->setGeometry(5, 5, 11, 12);
    // Offsets (11 - 17) / 2 = -3 and (12 - 17) / 2 = -2, truncated towards zero.
    ExpectLamp(QColor(0, 255, 0), 5 - 3, 5 - 2);
    const QImage image = Snapshot(parent_);
    EXPECT_EQ(image.pixelColor(4, 10), kBackground); // left of the control
}

TEST_F(LEDTest, AutoSizeKeepsTheLampSize) {
    led_->setAutoSize(true);
    led_->setGeometry(3, 4, 30, 25);
    EXPECT_EQ(led_->geometry(), QRect(3, 4, 17, 17));
    led_->setAutoSize(false);
    led_->resize(30, 25);
    EXPECT_EQ(led_->size(), QSize(30, 25));
}

TEST_F(LEDTest, EveryStatusAssignmentCallsTheCallback) {
    std::vector<bool> calls;
    led_->OnStatusChange = [&](TLED* sender) {
        EXPECT_EQ(sender, led_);
        calls.push_back(sender->Status());
    };
    led_->setStatus(true);
    led_->setStatus(false);
    led_->setStatus(false);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, false}));
}

TEST_F(LEDTest, BlinkingTogglesStatusEveryInterval) {
    auto* timer = led_->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    led_->setInterval(500);
    led_->setActive(true);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_EQ(led_->Interval(), 500u);

    Tick();
    EXPECT_FALSE(led_->Status());
    ExpectLamp(QColor(255, 0, 0));
    Tick();
    EXPECT_TRUE(led_->Status());

    led_->setActive(false);
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(led_->Status());
}

TEST_F(LEDTest, BlinkingPausesWhileMinimised) {
    led_->setActive(true);
    parent_.showMinimized();
    ASSERT_TRUE(parent_.isMinimized());
    Tick();
    Tick();
    Tick();
    EXPECT_TRUE(led_->Status());
    parent_.showNormal();
    Tick();
    EXPECT_FALSE(led_->Status());
}

// Every start or stop of the blink timer, seen through its active property.
class TimerStarts {
public:
    explicit TimerStarts(QTimer& timer)
        : timer_(timer), notifier_(timer.bindableActive().addNotifier([this] {
              if (timer_.isActive())
                  ++starts;
              else
                  ++stops;
          })) {}
    int starts = 0;
    int stops = 0;

private:
    QTimer& timer_;
    QPropertyNotifier notifier_;
};

TEST_F(LEDTest, AssigningTheCurrentBlinkSettingsDoesNotRestartTheTimer) {
    auto& timer = *led_->findChild<QTimer*>();
    led_->setInterval(500);
    led_->setActive(true);
    TimerStarts changes(timer);
    led_->setActive(true);
    led_->setInterval(500);
    EXPECT_EQ(changes.starts, 0);
    EXPECT_EQ(changes.stops, 0);
    EXPECT_TRUE(timer.isActive());

    led_->setInterval(300); // a real change takes effect at once
    EXPECT_EQ(timer.interval(), 300);
    EXPECT_TRUE(timer.isActive());
    led_->setActive(false);
    led_->setActive(false);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(LEDTest, AnIntervalOfZeroStopsBlinking) {
    auto& timer = *led_->findChild<QTimer*>();
    led_->setActive(true);
    led_->setInterval(0);
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(led_->Active());
    EXPECT_EQ(led_->Interval(), 0u);

    led_->setActive(false);
    led_->setActive(true);
    EXPECT_FALSE(timer.isActive());

    led_->setInterval(500); // blinking resumes with a usable interval
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 500);
    Tick();
    EXPECT_FALSE(led_->Status());
}
