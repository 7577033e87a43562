// Progress captions as the bar formats and paints them. Input: minimum, maximum and position (4 bytes each),
// one byte of bar settings, then the caption in UTF-8.
#include "OffscreenApplication.h"
#include "widgets/CaptionFormat.h"
#include "widgets/GradientProgress.h"

#include <QImage>
#include <fuzzer/FuzzedDataProvider.h>

using namespace miran::widgets;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    miran::fuzz::StartOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int minimum = input.ConsumeIntegral<int>();
    const int maximum = input.ConsumeIntegral<int>();
    const int position = input.ConsumeIntegral<int>();
    const std::uint8_t settings = input.ConsumeIntegral<std::uint8_t>();
    const std::string text = input.ConsumeRemainingBytesAsString();
    const QString caption = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));

    FormatCaption(caption, position);

    TGradientProgress bar;
    bar.resize(150, 15);
    bar.setTextOption(static_cast<TTextOption>(settings % 4));
    bar.setSolid(settings & 4);
    bar.setGradientBlocks(settings & 8);
    bar.setTextCentered(settings & 16);
    bar.setBorderStyle(settings & 32 ? TBorderStyle::bsSingle : TBorderStyle::bsNone);
    bar.setCaption(caption);
    bar.setMinimum(minimum);
    bar.setMaximum(maximum);
    bar.setPosition(position);
    QImage image(150, 15, QImage::Format_ARGB32);
    bar.render(&image);
    return 0;
}
