#include "GracefulExit.h"
#include "StartFailure.h"
#include "TDebug.h"
#include "TMain.h"
#include "WindowTestSupport.h"
#include "hid/VirtualHidPlatform.h"
#include "widgets/LED.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

using namespace miran;
using app::TMain;

namespace {

// A window over an empty bus with a private config folder; nothing has been scanned yet.
class WindowLookTest : public app::testing::PrivateConfigTest {
protected:
    void SetUp() override {
        PrivateConfigTest::SetUp();
        main_ = std::make_unique<TMain>(app::MainEnvironment{std::make_shared<hid::VirtualHidPlatform>(),
                                                             {},
                                                             "/nonexistent/miran-isp-up",
                                                             [] { return false; },
                                                             [](std::chrono::milliseconds) {},
                                                             ""});
    }
    void TearDown() override {
        main_.reset();
        PrivateConfigTest::TearDown();
    }

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

// Ends a modal box that the test expected to be closed by then, so that a failure does not hang.
class ModalWatchdog {
public:
    ModalWatchdog() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "the modal box was still open";
                box->reject();
            }
        });
        timer_.start(10000);
    }

private:
    QTimer timer_;
};

TEST_F(WindowLookTest, TerminationSignalClosesTheWindowBehindAModalBox) {
    main_->show();
    app::CloseOnTerminationSignals(*main_);
    ModalWatchdog watchdog;
    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QMessageBox::critical(main_.get(), "Error", "Device cannot be opened");
    EXPECT_FALSE(main_->isVisible());
}

TEST(StartFailure, ShowsTheErrorAndExitsNonZeroAlsoOnSignal) {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalWatchdog watchdog;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            icon = box->icon();
        }
        raise(SIGINT);
    });
    EXPECT_NE(app::ReportStartFailure("Resource BIOS not found"), 0);
    EXPECT_EQ(text, "Resource BIOS not found");
    EXPECT_EQ(icon, QMessageBox::Critical);
}

} // namespace
