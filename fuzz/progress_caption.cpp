// Progress captions as the bar formats and paints them. Input: minimum, maximum and position (4 bytes each),
// one byte of bar settings, then the caption in UTF-8.
#include "NullCanvas.h"
#include "paint/CaptionFormat.h"
#include "paint/GradientProgress.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace miran::paint;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int minimum = input.ConsumeIntegral<int>();
    const int maximum = input.ConsumeIntegral<int>();
    const int position = input.ConsumeIntegral<int>();
    const std::uint8_t settings = input.ConsumeIntegral<std::uint8_t>();
    const std::string caption = input.ConsumeRemainingBytesAsString();

    FormatCaption(caption, position);

    GradientProgress bar;
    bar.SetClientSize(150, 15);
    bar.SizeChanged();
    bar.SetTextOption(static_cast<TTextOption>(settings % 4));
    bar.SetSolid(settings & 4);
    bar.SetGradientBlocks(settings & 8);
    bar.SetTextCentered(settings & 16);
    bar.SetBorderStyle(settings & 32 ? TBorderStyle::bsSingle : TBorderStyle::bsNone);
    bar.SetStartRgb(settings & 64 ? clGreen : clWhite);
    bar.SetEndRgb(settings & 128 ? clLime : clBlack);
    bar.SetCaption(caption);
    bar.SetMinimum(minimum);
    bar.SetMaximum(maximum);
    bar.SetPosition(position);
    miran::fuzz::NullCanvas canvas;
    bar.Draw(canvas, {clBtnFace, Font{}, clBlack});
    return 0;
}
