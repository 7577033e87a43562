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
        FillBackground(parent, QColor(250, 250, 250));
        SetPaletteColor(parent, QPalette::WindowText, Qt::black);
        parent.setFont(CrispFont(20));
        parent.resize(400, 200);
        label = new TMarkupLabel(&parent);
        label->move(0, 0);
        parent.show();
    }

    void MoveMouse(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, label->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(label, &move);
    }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(label, &release);
    }
    void Leave() {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
    }
    int Advance(const QString& text) { return QFontMetrics(CrispFont(20)).horizontalAdvance(text); }

    QWidget parent;
    TMarkupLabel* label;
};

} // namespace

TEST_F(MarkupLabelTest, Defaults) {
    EXPECT_TRUE(label->AutoSize());
    EXPECT_DOUBLE_EQ(label->SuperSubScriptRatio(), 2.0 / 3.0);
    EXPECT_EQ(label->HyperLinkMouseButtons(), Qt::MouseButtons(Qt::LeftButton));
    EXPECT_EQ(label->Layout(), TTextLayout::tlTop);
    EXPECT_TRUE(label->Transparent());
    EXPECT_FALSE(label->LinkHot());
    EXPECT_EQ(label->size(), QSize(0, QFontMetrics(CrispFont(20)).height() + 1));
}

TEST_F(MarkupLabelTest, ProgramCaptionSizesToTwoLinesOfTheBoldFont) {
    QFont bold = CrispFont(11);
    bold.setBold(true);
    parent.setFont(bold);
    label->setGeometry(144, 60, 171, 27);
    label->setCaption(kProgramCaption);
    const QFontMetrics metrics(bold);
    EXPECT_EQ(label->geometry(), QRect(144, 60,
                                       std::max(metrics.horizontalAdvance("Enter 13 Digits to use POLY-MCU"),
                                                metrics.horizontalAdvance("with Atmel-Studio")),
                                       2 * metrics.height() + 1));
}

TEST_F(MarkupLabelTest, TheCaptionIsDrawnRegularEvenWithABoldFont) {
    label->setAutoSize(false);
    label->resize(300, 60);
    label->setCaption(kProgramCaption);
    const QImage regular = Snapshot(*label);
    QFont bold = CrispFont(20);
    bold.setBold(true);
    parent.setFont(bold);
    label->resize(300, 60);
    EXPECT_EQ(Snapshot(*label), regular);
    label->setCaption("<b>" + kProgramCaption);
    EXPECT_NE(Snapshot(*label), regular);
}

TEST_F(MarkupLabelTest, AutoSizeFollowsCaptionAndFont) {
    label->setCaption("abc");
    EXPECT_EQ(label->width(), Advance("abc"));
    parent.setFont(CrispFont(30));
    EXPECT_EQ(label->size(), QSize(QFontMetrics(CrispFont(30)).horizontalAdvance("abc"),
                                   QFontMetrics(CrispFont(30)).height() + 1));
    label->setAutoSize(false);
    label->setCaption("abcdef");
    EXPECT_EQ(label->width(), QFontMetrics(CrispFont(30)).horizontalAdvance("abc"));
}

TEST_F(MarkupLabelTest, TransparentShowsTheParentOpaqueFillsWithColor) {
    label->setAutoSize(false);
    label->resize(50, 30);
    EXPECT_EQ(Snapshot(parent).pixelColor(40, 25), QColor(250, 250, 250));
    label->setTransparent(false);
    label->setColor(clAqua);
    EXPECT_EQ(Snapshot(parent).pixelColor(40, 25), QColor(0, 255, 255));
}

TEST_F(MarkupLabelTest, LayoutMovesTheTextDown) {
    label->setAutoSize(false);
    label->resize(100, 80);
    label->setCaption("<font bgcolor=clBlue>W</font>");
    label->setLayout(TTextLayout::tlBottom);
    const int h = QFontMetrics(CrispFont(20)).height();
    QImage image = Snapshot(parent);
    // The text height plus 1 is measured, so the cell ends one pixel above the bottom.
    EXPECT_EQ(image.pixelColor(0, 80 - h - 1), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 80 - 2), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, 80 - h - 2), QColor(250, 250, 250));
    label->setLayout(TTextLayout::tlCenter);
    image = Snapshot(parent);
    const int top = (80 - (h + 1)) / 2;
    EXPECT_EQ(image.pixelColor(0, top), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(0, top - 1), QColor(250, 250, 250));
}

TEST_F(MarkupLabelTest, DisabledTextIsEmbossedInSystemColours) {
    SetPaletteColor(*label, QPalette::Light, QColor(255, 0, 255));
    SetPaletteColor(*label, QPalette::Dark, QColor(0, 128, 128));
    label->setCaption("<font color=clRed>W");
    EXPECT_TRUE(HasPixel(Snapshot(*label), QColor(255, 0, 0)));
    label->setEnabled(false);
    const QImage image = Snapshot(*label);
    EXPECT_TRUE(HasPixel(image, QColor(255, 0, 255)));
    EXPECT_TRUE(HasPixel(image, QColor(0, 128, 128)));
    EXPECT_FALSE(HasPixel(image, QColor(255, 0, 0)));
}

TEST_F(MarkupLabelTest, HoveringALinkDrawsItRedWithTheHandCursor) {
    label->setCaption("ab<a href=\"https://example.org\">link</a>");
    EXPECT_TRUE(HasPixel(Snapshot(*label), QColor(0, 0, 255)));
    EXPECT_FALSE(HasPixel(Snapshot(*label), QColor(255, 0, 0)));

    MoveMouse({Advance("ab") + 3, 5});
    EXPECT_TRUE(label->LinkHot());
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(HasPixel(Snapshot(*label), QColor(255, 0, 0)));
    EXPECT_FALSE(HasPixel(Snapshot(*label), QColor(0, 0, 255)));

    MoveMouse({3, 5});
    EXPECT_FALSE(label->LinkHot());
    EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);

    MoveMouse({Advance("ab") + 3, 5});
    Leave();
    EXPECT_FALSE(label->LinkHot());
    EXPECT_TRUE(HasPixel(Snapshot(*label), QColor(0, 0, 255)));
    EXPECT_FALSE(HasPixel(Snapshot(*label), QColor(255, 0, 0)));
}

TEST_F(MarkupLabelTest, FollowingLinks) {
    std::vector<QString> opened, clicked;
    label->setLinkOpener([&](const QString& target) { opened.push_back(target); });
    label->OnHyperLinkClick = [&](TMarkupLabel* sender, const QString& target) {
        EXPECT_EQ(sender, label);
        clicked.push_back(target);
    };
    const QPoint onLink(3, 5);
    for (const char* target : {"page2", "https://example.org/A", "MailTo:someone@example.org", "file.txt"}) {
        label->setCaption(QStringLiteral("<a href=\"%1\">link</a>").arg(QLatin1String(target)));
        Click(onLink);
    }
    Click({300, 5}); // beside the link
    Click(onLink, Qt::RightButton);
    EXPECT_EQ(clicked, (std::vector<QString>{"page2", "https://example.org/A", "MailTo:someone@example.org",
                                             "file.txt"}));
    EXPECT_EQ(opened, (std::vector<QString>{"https://example.org/A", "MailTo:someone@example.org"}));

    label->setHyperLinkMouseButtons(Qt::RightButton);
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
    label->setCaption(kProgramCaption);
    const QSize size = label->size();
    EXPECT_THROW(label->setCaption("a<ind=x>b"), miran::EConvertError);
    // A refused caption leaves the label as it was.
    EXPECT_EQ(label->Caption(), kProgramCaption);
    EXPECT_EQ(label->size(), size);
    EXPECT_EQ(Snapshot(*label), [&] {
        TMarkupLabel same(&parent);
        same.setCaption(kProgramCaption);
        return Snapshot(same);
    }());

    // Without automatic sizing nothing measures the caption: it is taken, and painting reports it.
    label->setAutoSize(false);
    label->setCaption("a<ind=x>b");
    EXPECT_EQ(label->Caption(), "a<ind=x>b");
    EXPECT_THROW(label->setAutoSize(true), miran::EConvertError);
    EXPECT_FALSE(label->AutoSize());
    label->resize(100, 30);
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarning);
    Snapshot(*label);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList{"TMarkupLabel: 'x' is not a valid integer value"});
}
