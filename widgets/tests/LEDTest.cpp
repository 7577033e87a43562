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
        FillBackground(parent, kBackground);
        parent.resize(40, 40);
        led = new TLED(&parent);
        parent.show();
    }

    // Compares the lamp drawn at (left, top) of the parent with the shape, lamp pixels in lamp.
    void ExpectLamp(QColor lamp, int left = 0, int top = 0) {
        const QImage image = Snapshot(parent);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 17; ++x) {
                const int px = left + x, py = top + y;
                if (px < led->x() || py < led->y() || px >= led->x() + led->width() ||
                    py >= led->y() + led->height())
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

    void Tick() { QMetaObject::invokeMethod(led->findChild<QTimer*>(), "timeout"); }

    QWidget parent;
    TLED* led;
};

} // namespace

TEST_F(LEDTest, DefaultsAreAnOnLimeLamp) {
    EXPECT_TRUE(led->Status());
    EXPECT_EQ(led->ColorOn(), clLime);
    EXPECT_EQ(led->ColorOff(), clRed);
    EXPECT_EQ(led->Color(), clLime);
    EXPECT_FALSE(led->Active());
    EXPECT_EQ(led->Interval(), 1000u);
    EXPECT_FALSE(led->AutoSize());
    EXPECT_EQ(led->size(), QSize(17, 17));
    ExpectLamp(QColor(0, 255, 0));
}

TEST_F(LEDTest, OffShowsARedLampOnTheParentsBackground) {
    led->setStatus(false);
    EXPECT_EQ(led->Color(), clRed);
    ExpectLamp(QColor(255, 0, 0));
}

TEST_F(LEDTest, ColorOnChangesTheLampOnlyWhileOn) {
    led->setColorOn(clYellow);
    ExpectLamp(QColor(255, 255, 0));
    led->setColorOn(clLime);
    ExpectLamp(QColor(0, 255, 0));

    led->setStatus(false);
    const int builds = led->RecolorCount();
    led->setColorOn(clYellow);
    EXPECT_EQ(led->RecolorCount(), builds);
    ExpectLamp(QColor(255, 0, 0));
    led->setStatus(true);
    ExpectLamp(QColor(255, 255, 0));
}

TEST_F(LEDTest, AnEqualColourDoesNotReloadTheImage) {
    const int builds = led->RecolorCount();
    led->setColorOn(clLime);
    led->setColorOff(clLime);
    led->setStatus(true);
    led->setColor(clLime);
    EXPECT_EQ(led->RecolorCount(), builds);
    led->setColorOff(clRed);
    EXPECT_EQ(led->RecolorCount(), builds);
    led->setStatus(false);
    EXPECT_EQ(led->RecolorCount(), builds + 1);
}

TEST_F(LEDTest, AWhiteLampMergesBodyAndHighlightButKeepsTheOutline) {
    led->setColorOn(clWhite);
    ExpectLamp(Qt::white);
}

TEST_F(LEDTest, SystemColoursAreResolvedThroughThePalette) {
    SetPaletteColor(*led, QPalette::Button, QColor(12, 34, 56));
    led->setColorOn(clBtnFace);
    ExpectLamp(QColor(12, 34, 56));
    SetPaletteColor(*led, QPalette::Button, QColor(78, 90, 12));
    ExpectLamp(QColor(78, 90, 12));
}

TEST_F(LEDTest, TheLampIsCentredInALargerControl) {
    led->setGeometry(5, 5, 20, 20);
    ExpectLamp(QColor(0, 255, 0), 6, 6);
}

TEST_F(LEDTest, ASmallerControlShowsTheCentreOfTheLamp) {
    led->setGeometry(5, 5, 11, 12);
    // Offsets (11 - 17) / 2 = -3 and (12 - 17) / 2 = -2, truncated towards zero.
    ExpectLamp(QColor(0, 255, 0), 5 - 3, 5 - 2);
    const QImage image = Snapshot(parent);
    EXPECT_EQ(image.pixelColor(4, 10), kBackground); // left of the control
}

TEST_F(LEDTest, AutoSizeKeepsTheLampSize) {
    led->setAutoSize(true);
    led->setGeometry(3, 4, 30, 25);
    EXPECT_EQ(led->geometry(), QRect(3, 4, 17, 17));
    led->setAutoSize(false);
    led->resize(30, 25);
    EXPECT_EQ(led->size(), QSize(30, 25));
}

TEST_F(LEDTest, EveryStatusAssignmentCallsTheCallback) {
    std::vector<bool> calls;
    led->OnStatusChange = [&](TLED* sender) {
        EXPECT_EQ(sender, led);
        calls.push_back(sender->Status());
    };
    led->setStatus(true);
    led->setStatus(false);
    led->setStatus(false);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, false}));
}

TEST_F(LEDTest, BlinkingTogglesStatusEveryInterval) {
    auto* timer = led->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    led->setInterval(500);
    led->setActive(true);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    EXPECT_EQ(led->Interval(), 500u);

    Tick();
    EXPECT_FALSE(led->Status());
    ExpectLamp(QColor(255, 0, 0));
    Tick();
    EXPECT_TRUE(led->Status());

    led->setActive(false);
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(led->Status());
}

TEST_F(LEDTest, BlinkingPausesWhileMinimised) {
    led->setActive(true);
    parent.showMinimized();
    ASSERT_TRUE(parent.isMinimized());
    Tick();
    Tick();
    Tick();
    EXPECT_TRUE(led->Status());
    parent.showNormal();
    Tick();
    EXPECT_FALSE(led->Status());
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
    auto& timer = *led->findChild<QTimer*>();
    led->setInterval(500);
    led->setActive(true);
    TimerStarts changes(timer);
    led->setActive(true);
    led->setInterval(500);
    EXPECT_EQ(changes.starts, 0);
    EXPECT_EQ(changes.stops, 0);
    EXPECT_TRUE(timer.isActive());

    led->setInterval(300); // a real change takes effect at once
    EXPECT_EQ(timer.interval(), 300);
    EXPECT_TRUE(timer.isActive());
    led->setActive(false);
    led->setActive(false);
    EXPECT_FALSE(timer.isActive());
}

TEST_F(LEDTest, AnIntervalOfZeroStopsBlinking) {
    auto& timer = *led->findChild<QTimer*>();
    led->setActive(true);
    led->setInterval(0);
    EXPECT_FALSE(timer.isActive());
    EXPECT_TRUE(led->Active());
    EXPECT_EQ(led->Interval(), 0u);

    led->setActive(false);
    led->setActive(true);
    EXPECT_FALSE(timer.isActive());

    led->setInterval(500); // blinking resumes with a usable interval
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 500);
    Tick();
    EXPECT_FALSE(led->Status());
}
