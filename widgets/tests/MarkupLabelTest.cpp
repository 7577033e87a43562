#include "widgets/MarkupLabel.h"

#include "Pixels.h"
#include "core/ConvertError.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

using namespace miran::widgets;

namespace {

const QString kProgramCaption = QStringLiteral("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio");

class MarkupLabelTest : public testing::Test {
protected:
    MarkupLabelTest() {
        FillBackground(parent_, QColor(250, 250, 250));
        SetPaletteColor(parent_, QPalette::WindowText, Qt::black);
        parent_.setFont(CrispFont(20));
        parent_.resize(400, 200);
        label_ = new TMarkupLabel(&parent_);
        label_->move(0, 0);
        parent_.show();
    }

    void MoveMouse(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, label_->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(label_, &move);
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent release(QEvent::MouseButtonRelease, at, label_->mapToGlobal(at), button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(label_, &release);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label_, &leave);
    }
    int Advance(const QString& text) { return QFontMetrics(CrispFont(20)).horizontalAdvance(text); }

    QWidget parent_;
    TMarkupLabel* label_;
};

} // namespace

TEST_F(MarkupLabelTest, Defaults) {
    EXPECT_TRUE(label_->AutoSize());
    EXPECT_DOUBLE_EQ(label_->SuperSubScriptRatio(), 2.0 / 3.0);
    EXPECT_EQ(label_->HyperLinkMouseButtons(), Qt::MouseButtons(Qt::LeftButton));
    EXPECT_EQ(label_->Layout(), TTextLayout::tlTop);
    EXPECT_TRUE(label_->Transparent());
    EXPECT_FALSE(label_->LinkHot());
    EXPECT_EQ(label_->size(), QSize(0, QFontMetrics(CrispFont(20)).height() + 1));
}

TEST_F(MarkupLabelTest, ProgramCaptionSizesToTwoLinesOfTheBoldFont) {
    QFont bold = CrispFont(11);
    bold.setBold(true);
    parent_.setFont(bold);
    label_->setGeometry(144, 60, 171, 27);
    label_->setCaption(kProgramCaption);
    const QFontMetrics metrics(bold);
    EXPECT_EQ(label_->geometry(), QRect(144, 60,
                                        std::max(metrics.horizontalAdvance("Enter 13 Digits to use POLY-MCU"),
                                                 metrics.horizontalAdvance("with Atmel-Studio")),
                                        2 * metrics.height() + 1));
}

TEST_F(MarkupLabelTest, TheCaptionIsDrawnRegularEvenWithABoldFont) {
    label_->setAutoSize(false);
    label_->resize(300, 60);
    label_->setCaption(kProgramCaption);
    const QImage regular = Snapshot(*label_);
    QFont bold = CrispFont(20);
    bold.setBold(true);
    parent_.setFont(bold);
    label_->resize(300, 60);
    EXPECT_EQ(Snapshot(*label_), regular);
    label_->setCaption("<b>" + kProgramCaption);
    EXPECT_NE(Snapshot(*label_), regular);
}

TEST_F(MarkupLabelTest, AutoSizeFollowsCaptionAndFont) {
    label_->setCaption("abc");
    EXPECT_EQ(label_->width(), Advance("abc"));
    parent_.setFont(CrispFont(30));
    EXPECT_EQ(label_->size(), QSize(QFontMetrics(CrispFont(30)).horizontalAdvance("abc"),
                                    QFontMetrics(CrispFont(30)).height() + 1));
    label_->setAutoSize(false);
    label_->setCaption("abcdef");
    EXPECT_EQ(label_->width(), QFontMetrics(CrispFont(30)).horizontalAdvance("abc"));
}

TEST_F(MarkupLabelTest, TransparentShowsTheParentOpaqueFillsWithColor) {
    label_->setAutoSize(false);
    label_->resize(50, 30);
    EXPECT_EQ(Snapshot(parent_).pixelColor(40, 25), QColor(250, 250, 250));
    label_->setTransparent(false);
    label_->setColor(clAqua);
    EXPECT_EQ(Snapshot(parent_).pixelColor(40, 25), QColor(0, 255, 255));
}

TEST_F(MarkupLabelTest, LayoutMovesTheTextDown) {
    label_->setAutoSize(false);
    label_->resize(100, 80);
    label_->setCaption("<font bgcolor=clBlue>W</font>");
    label_->setLayout(TTextLayout::tlBottom);
    const int h = QFontMetrics(CrispFont(20)).height();
    QImage image = Snapshot(parent_);
    // The text height plus 1 is measured, so the cell ends one pixel above the bottom.
    EXPECT_EQ(image.pixelColor(0, 80 - h - 1), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 80 - 2), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 80 - h - 2), QColor(250, 250, 250));
    label_->setLayout(TTextLayout::tlCenter);
    image = Snapshot(parent_);
    const int top = (80 - (h + 1)) / 2;
    EXPECT_EQ(image.pixelColor(0, top), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, top - 1), QColor(250, 250, 250));
}

TEST_F(MarkupLabelTest, DisabledTextIsEmbossedInSystemColours) {
    SetPaletteColor(*label_, QPalette::Light, QColor(255, 0, 255));
    SetPaletteColor(*label_, QPalette::Dark, QColor(0, 128, 128));
    label_->setCaption("<font color=clRed>W");
    EXPECT_TRUE(HasPixel(Snapshot(*label_), QColor(255, 0, 0)));
    label_->setEnabled(false);
    const QImage image = Snapshot(*label_);
    EXPECT_TRUE(HasPixel(image, QColor(255, 0, 255)));
    EXPECT_TRUE(HasPixel(image, QColor(0, 128, 128)));
    EXPECT_FALSE(HasPixel(image, QColor(255, 0, 0)));
}

TEST_F(MarkupLabelTest, HoveringALinkDrawsItRedWithTheHandCursor) {
    label_->setCaption("ab<a href=\"https://example.org\">link</a>");
    EXPECT_TRUE(HasPixel(Snapshot(*label_), QColor(0, 0, 255)));
    EXPECT_FALSE(HasPixel(Snapshot(*label_), QColor(255, 0, 0)));

    MoveMouse({Advance("ab") + 3, 5});
    EXPECT_TRUE(label_->LinkHot());
    EXPECT_EQ(label_->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(HasPixel(Snapshot(*label_), QColor(255, 0, 0)));
    EXPECT_FALSE(HasPixel(Snapshot(*label_), QColor(0, 0, 255)));

    MoveMouse({3, 5});
    EXPECT_FALSE(label_->LinkHot());
    EXPECT_EQ(label_->cursor().shape(), Qt::ArrowCursor);

    MoveMouse({Advance("ab") + 3, 5});
    Leave();
    EXPECT_FALSE(label_->LinkHot());
    EXPECT_TRUE(HasPixel(Snapshot(*label_), QColor(0, 0, 255)));
    EXPECT_FALSE(HasPixel(Snapshot(*label_), QColor(255, 0, 0)));
}

TEST_F(MarkupLabelTest, FollowingLinks) {
    std::vector<QString> opened, clicked;
    label_->setLinkOpener([&](const QString& target) { opened.push_back(target); });
    label_->OnHyperLinkClick = [&](TMarkupLabel* sender, const QString& target) {
        EXPECT_EQ(sender, label_);
        clicked.push_back(target);
    };
    const QPoint onLink(3, 5);
    for (const char* target : {"page2", "https://example.org/A", "MailTo:someone@example.org", "file.txt"}) {
        label_->setCaption(QStringLiteral("<a href=\"%1\">link</a>").arg(QLatin1String(target)));
        Click(onLink);
    }
    Click({300, 5}); // beside the link
    Click(onLink, Qt::RightButton);
    EXPECT_EQ(clicked, (std::vector<QString>{"page2", "https://example.org/A", "MailTo:someone@example.org",
                                             "file.txt"}));
    EXPECT_EQ(opened, (std::vector<QString>{"https://example.org/A", "MailTo:someone@example.org"}));

    label_->setHyperLinkMouseButtons(Qt::RightButton);
    Click(onLink, Qt::RightButton);
    EXPECT_EQ(clicked.size(), 5u);
}

namespace {
QStringList warnings;
void CollectWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg)
        warnings << message;
}
} // namespace

TEST_F(MarkupLabelTest, AnIndentThatIsNotAnIntegerFailsSizingAndPainting) {
    label_->setCaption(kProgramCaption);
    const QSize size = label_->size();
    EXPECT_THROW(label_->setCaption("a<ind=x>b"), miran::EConvertError);
    // A refused caption leaves the label as it was.
    EXPECT_EQ(label_->Caption(), kProgramCaption);
    EXPECT_EQ(label_->size(), size);
    EXPECT_EQ(Snapshot(*label_), [&] {
        TMarkupLabel same(&parent_);
        same.setCaption(kProgramCaption);
        return Snapshot(same);
    }());

    // Without automatic sizing nothing measures the caption: it is taken, and painting reports it.
    label_->setAutoSize(false);
    label_->setCaption("a<ind=x>b");
    EXPECT_EQ(label_->Caption(), "a<ind=x>b");
    EXPECT_THROW(label_->setAutoSize(true), miran::EConvertError);
    EXPECT_FALSE(label_->AutoSize());
    label_->resize(100, 30);
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarning);
    Snapshot(*label_);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList{"TMarkupLabel: 'x' is not a valid integer value"});
}
