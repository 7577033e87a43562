// The indicator widgets in their typical states, one group per widget.
// Usage: widgets_gallery [--screenshot DIR]

#include "widgets/GradientProgress.h"
#include "widgets/LED.h"
#include "widgets/MarkupLabel.h"
#include "widgets/StatusBar.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <cstdio>

using namespace miran::widgets;

namespace {

QFont StatusFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    return font;
}

// A captioned cell of a group's grid.
void AddRow(QGridLayout* grid, const QString& caption, QWidget* widget) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(widget, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
}

QGroupBox* Lamps() {
    auto* box = new QGroupBox(QStringLiteral("TLED"));
    auto* grid = new QGridLayout(box);
    auto lamp = [&](const QString& caption, auto setup) {
        auto* led = new TLED;
        led->setFixedSize(17, 17);
        setup(led);
        AddRow(grid, caption, led);
    };
    lamp(QStringLiteral("default (on, lime)"), [](TLED*) {});
    lamp(QStringLiteral("off (red)"), [](TLED* led) { led->setStatus(false); });
    lamp(QStringLiteral("identifying (yellow)"), [](TLED* led) { led->setColorOn(clYellow); });
    lamp(QStringLiteral("white"), [](TLED* led) { led->setColorOn(clWhite); });
    lamp(QStringLiteral("blinking every 500 ms"), [](TLED* led) {
        led->setInterval(500);
        led->setActive(true);
    });
    auto* large = new TLED;
    large->setFixedSize(30, 24);
    large->setAutoFillBackground(true);
    large->setPalette(QPalette(QColor(160, 200, 255)));
    AddRow(grid, QStringLiteral("30 x 24, centred"), large);
    auto* small = new TLED;
    small->setFixedSize(11, 11);
    AddRow(grid, QStringLiteral("11 x 11, cut"), small);
    return box;
}

QGroupBox* ProgressBars() {
    auto* box = new QGroupBox(QStringLiteral("TGradientProgress"));
    auto* grid = new QGridLayout(box);
    auto bar = [&](const QString& caption, auto setup) {
        auto* progress = new TGradientProgress;
        progress->setFixedSize(150, 15);
        setup(progress);
        AddRow(grid, caption, progress);
    };
    auto pBar = [](int percent) {
        return [percent](TGradientProgress* p) {
            p->setFixedSize(94, 15);
            p->setSolid(true);
            p->setStartColor(clGreen);
            p->setEndColor(clLime);
            p->setPosition(percent);
        };
    };
    bar(QStringLiteral("pBar empty"), pBar(0));
    bar(QStringLiteral("pBar half"), pBar(50));
    bar(QStringLiteral("pBar full"), pBar(100));
    bar(QStringLiteral("blocks 50"), [](TGradientProgress* p) {
        p->setStartColor(clNavy);
        p->setEndColor(clAqua);
        p->setPosition(50);
    });
    bar(QStringLiteral("blocks 53"), [](TGradientProgress* p) {
        p->setStartColor(clNavy);
        p->setEndColor(clAqua);
        p->setPosition(53);
    });
    bar(QStringLiteral("blocks 100"), [](TGradientProgress* p) {
        p->setStartColor(clNavy);
        p->setEndColor(clAqua);
        p->setPosition(100);
    });
    bar(QStringLiteral("shaded blocks 80"), [](TGradientProgress* p) {
        p->setStartColor(clMaroon);
        p->setEndColor(clYellow);
        p->setGradientBlocks(true);
        p->setPosition(80);
    });
    bar(QStringLiteral("single border, 0%"), [](TGradientProgress* p) {
        p->setBorderStyle(TBorderStyle::bsSingle);
        p->setTextOption(TTextOption::toPercent);
        p->setSolid(true);
    });
    bar(QStringLiteral("single border, 42%"), [](TGradientProgress* p) {
        p->setBorderStyle(TBorderStyle::bsSingle);
        p->setTextOption(TTextOption::toPercent);
        p->setSolid(true);
        p->setStartColor(clWhite);
        p->setEndColor(clBlue);
        p->setPosition(42);
    });
    bar(QStringLiteral("format, centred"), [](TGradientProgress* p) {
        p->setCaption(QStringLiteral("%d of 100"));
        p->setTextOption(TTextOption::toFormat);
        p->setTextCentered(true);
        p->setSolid(true);
        p->setStartColor(clYellow);
        p->setEndColor(clYellow);
        p->setPosition(64);
    });
    return box;
}

QGroupBox* MarkupLabels() {
    auto* box = new QGroupBox(QStringLiteral("TMarkupLabel"));
    auto* grid = new QGridLayout(box);
    auto label = [&](const QString& caption, const QString& markup, auto setup) {
        auto* markupLabel = new TMarkupLabel;
        markupLabel->setCaption(markup);
        setup(markupLabel);
        AddRow(grid, caption, markupLabel);
    };
    auto none = [](TMarkupLabel*) {};
    label(QStringLiteral("program caption (bold font)"),
          QStringLiteral("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio"), [](TMarkupLabel* l) {
              QFont font(QStringLiteral("Tahoma"));
              font.setPixelSize(11);
              font.setBold(true);
              l->setFont(font);
          });
    label(QStringLiteral("styles"),
          QStringLiteral("<b>bold</b> <i>italic</i> <u>under</u> <s>strike</s> x<sup>2</sup> H<sub>2</sub>O"),
          none);
    label(QStringLiteral("colours and size"),
          QStringLiteral(
              "<font color=clRed>red</font> <font color=\"#FF0000\">#FF0000</font> "
              "<font size=3>big</font> <font color=clWhite bgcolor=clNavy>&nbsp;on navy&nbsp;</font>"),
          none);
    label(QStringLiteral("BGCOLOR alone"), QStringLiteral("[<font bgcolor=\"#00FF00\">hidden</font>]"), none);
    label(QStringLiteral("links"),
          QStringLiteral(
              "Visit <a href=\"https://example.org\">example.org</a> or <a href=\"page2\">page 2</a>"),
          none);
    label(QStringLiteral("rule, indent, entities"),
          QStringLiteral("above<HR><ind=20>&lt;indented&gt; &copy; &euro;"), none);
    label(QStringLiteral("alignment"), QStringLiteral("<align center>centred<br><align right>right"),
          [](TMarkupLabel* l) {
              l->setAutoSize(false);
              l->setFixedSize(200, 34);
              l->setTransparent(false);
              l->setColor(clInfoBk);
          });
    label(QStringLiteral("disabled"), QStringLiteral("<b>disabled</b> <font color=clRed>label</font>"),
          [](TMarkupLabel* l) { l->setEnabled(false); });
    return box;
}

QGroupBox* StatusBars() {
    auto* box = new QGroupBox(QStringLiteral("TStatusBar"));
    auto* layout = new QVBoxLayout(box);
    auto bar = [&](auto setup) {
        auto* statusBar = new TStatusBar;
        statusBar->setFixedSize(349, 19);
        statusBar->setUseSystemFont(false);
        statusBar->setFont(StatusFont());
        setup(statusBar);
        layout->addWidget(statusBar);
    };
    auto mainWindow = [](const QString& text, int percent) {
        return [text, percent](TStatusBar* s) {
            s->setSizeGrip(false);
            s->AddPanel()->setWidth(250);
            s->AddPanel()->setWidth(50);
            s->Panel(0)->setText(text);
            auto* pBar = new TGradientProgress;
            pBar->resize(94, 15);
            pBar->setSolid(true);
            pBar->setStartColor(clGreen);
            pBar->setEndColor(clLime);
            pBar->setPosition(percent);
            s->Panel(1)->setControl(pBar);
        };
    };
    bar(mainWindow(QString(), 0));
    bar(mainWindow(QStringLiteral("Writing Bios..."), 60));
    bar(mainWindow(QStringLiteral("Device cannot be opened"), 0));
    bar([](TStatusBar* s) {
        for (auto [text, width, alignment, bevel] :
             {std::tuple{"left", 80, TAlignment::taLeftJustify, TStatusPanelBevel::pbLowered},
              std::tuple{"centre", 90, TAlignment::taCenter, TStatusPanelBevel::pbRaised},
              std::tuple{"right", 90, TAlignment::taRightJustify, TStatusPanelBevel::pbNone},
              std::tuple{"grip", 50, TAlignment::taLeftJustify, TStatusPanelBevel::pbLowered}}) {
            TStatusPanel* panel = s->AddPanel();
            panel->setText(QString::fromLatin1(text));
            panel->setWidth(width);
            panel->setAlignment(alignment);
            panel->setBevel(bevel);
        }
    });
    bar([](TStatusBar* s) {
        s->setAutoHint(true);
        s->AddPanel()->setText(QStringLiteral("hidden while the hint shows"));
        s->ShowHint(QStringLiteral("  A hint across the whole bar  "));
    });
    return box;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype shot = args.indexOf(QStringLiteral("--screenshot"));
    if (shot >= 0 && shot + 1 >= args.size()) {
        std::fprintf(stderr, "usage: widgets_gallery [--screenshot DIR]\n");
        return 2;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Indicator widgets"));
    auto* layout = new QGridLayout(&window);
    const QList<std::pair<QString, QGroupBox*>> groups = {
        {QStringLiteral("led"), Lamps()},
        {QStringLiteral("progress"), ProgressBars()},
        {QStringLiteral("markup"), MarkupLabels()},
        {QStringLiteral("statusbar"), StatusBars()},
    };
    layout->addWidget(groups[0].second, 0, 0);
    layout->addWidget(groups[1].second, 0, 1);
    layout->addWidget(groups[2].second, 1, 0);
    layout->addWidget(groups[3].second, 1, 1, Qt::AlignTop);
    window.show();

    if (shot < 0)
        return app.exec();

    QDir dir(args[shot + 1]);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    app.processEvents();
    bool ok = window.grab().save(dir.filePath(QStringLiteral("gallery.png")));
    for (const auto& [name, group] : groups)
        ok = group->grab().save(dir.filePath(name + QStringLiteral(".png"))) && ok;
    if (!ok) {
        std::fprintf(stderr, "cannot write the screenshots into %s\n", qPrintable(dir.path()));
        return 1;
    }
    return 0;
}
