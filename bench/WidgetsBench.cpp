// Paint time of hostile captions against a plain caption of the same length: a caption with 3000
// alignment tags, one of 100000 lone "<", one in the largest font, and progress captions with huge
// field widths. Each pair should cost about the same (painting is linear in the caption, and sizes
// and field widths are clamped).

#include "widgets/GradientProgress.h"
#include "widgets/Markup.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace miran::widgets;

namespace {

QString Repeated(const QString& piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

void PaintMarkup(benchmark::State& state, const QString& caption) {
    QImage image(400, 100, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        MarkupCanvas canvas;
        canvas.painter = &painter;
        DrawMarkup(canvas, image.rect(), 0, 100, kDefaultSuperSubScriptRatio, caption, {});
    }
    state.SetLabel(std::to_string(caption.size()) + " characters");
}

void BM_PaintAlignmentTags(benchmark::State& state) {
    PaintMarkup(state, Repeated(QStringLiteral("<align right>x"), 3000));
}
void BM_PaintPlainOfAlignmentLength(benchmark::State& state) {
    PaintMarkup(state, QString(3000 * 14, u'x'));
}
void BM_PaintLoneBrackets(benchmark::State& state) {
    PaintMarkup(state, QString(100000, u'<'));
}
void BM_PaintPlainOfBracketLength(benchmark::State& state) {
    PaintMarkup(state, QString(100000, u'x'));
}
void BM_PaintLargestFont(benchmark::State& state) {
    PaintMarkup(state, QStringLiteral("<font size=2147483647>") + QString(10000, u'W'));
}
void BM_PaintPlainOfLargestFontLength(benchmark::State& state) {
    PaintMarkup(state, QString(10022, u'W'));
}
BENCHMARK(BM_PaintAlignmentTags)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPlainOfAlignmentLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLoneBrackets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPlainOfBracketLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLargestFont)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPlainOfLargestFontLength)->Unit(benchmark::kMillisecond);

void PaintProgressCaption(benchmark::State& state, const QString& caption) {
    TGradientProgress bar;
    bar.resize(94, 15);
    bar.setTextOption(TTextOption::toFormat);
    bar.setCaption(caption);
    bar.setMaximum(1000);
    int position = 0;
    for (auto _ : state) {
        bar.setPosition(position); // every change of the percentage redraws the text
        position = (position + 10) % 1000;
    }
}

void BM_ProgressHugeFieldWidth(benchmark::State& state) {
    PaintProgressCaption(state, QStringLiteral("%100000000d"));
}
void BM_ProgressPlainFormat(benchmark::State& state) {
    PaintProgressCaption(state, QStringLiteral("%d"));
}
BENCHMARK(BM_ProgressHugeFieldWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgressPlainFormat)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
