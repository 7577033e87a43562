#include "TDebug.h"
#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "widgets/LED.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace miran;
using app::TMain;

namespace {

namespace fs = std::filesystem;

// A window over an empty bus with a private config folder; nothing has been scanned yet.
class WindowLookTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("window-look-test-" + std::to_string(::getpid()));
        fs::remove_all(home_);
        fs::create_directories(home_);
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
        main_ = std::make_unique<TMain>(app::MainEnvironment{std::make_shared<hid::VirtualHidPlatform>(),
                                                             {},
                                                             "/nonexistent/miran-isp-up",
                                                             [] { return false; },
                                                             [](std::chrono::milliseconds) {},
                                                             ""});
    }
    void TearDown() override {
        main_.reset();
        fs::remove_all(home_);
    }

    fs::path home_;
    std::unique_ptr<TMain> main_;
};

TEST_F(WindowLookTest, LampIsOffBeforeTheFirstScan) {
    EXPECT_FALSE(main_->Led->Status());
    EXPECT_EQ(main_->Led->Color(), widgets::clRed);
}

// The text of a label as drawn: its font's extent, placed by the label's alignment.
QRect TextRect(const QLabel& label) {
    const QSize size = label.fontMetrics().size(0, label.text());
    return QStyle::alignedRect(Qt::LeftToRight, label.alignment(), size, label.geometry());
}

// The group box alone (frame and title, no children) must leave the labels' text free.
TEST_F(WindowLookTest, GroupFrameCrossesNoLabelText) {
    main_->show();
    QApplication::processEvents();
    for (QGroupBox* group : {main_->GroupBox1, main_->GrpBox}) {
        QImage image(group->size(), QImage::Format_RGB32);
        const QColor background = group->palette().color(QPalette::Window);
        image.fill(background);
        group->render(&image, {}, {}, QWidget::RenderFlags());
        for (QLabel* label : group->findChildren<QLabel*>()) {
            const QRect text = TextRect(*label);
            for (int y = text.top(); y <= text.bottom(); ++y)
                for (int x = text.left(); x <= text.right(); ++x)
                    ASSERT_EQ(image.pixelColor(x, y), background)
                        << label->objectName().toStdString() << " at " << x << ", " << y;
        }
    }
}

} // namespace
