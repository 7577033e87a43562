// Markup captions as a label measures, paints and searches them for links. Input: one byte of label
// settings, one byte that repeats the caption (long captions without long inputs: painting must stay linear),
// then the caption in UTF-8.
#include "OffscreenApplication.h"
#include "core/ConvertError.h"
#include "widgets/MarkupLabel.h"

#include <QImage>
#include <QMouseEvent>

using namespace miran::widgets;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    miran::fuzz::StartOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t settings = data[0];
    const QString caption =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2))
            .repeated(1 + data[1] % 16);

    TMarkupLabel label;
    label.setLinkOpener([](const QString&) {});
    label.setAutoSize(settings & 1);
    label.setLayout(static_cast<TTextLayout>(((settings >> 1) & 3) % 3));
    label.setTransparent(settings & 8);
    label.setEnabled(!(settings & 16));
    if (!label.AutoSize())
        label.resize(200, 60);
    try {
        label.setCaption(caption);
    } catch (const miran::EConvertError&) {
        return 0; // a malformed number or colour: the caption is refused
    }
    QImage image(200, 60, QImage::Format_ARGB32);
    label.render(&image);

    const QPointF mouse((settings >> 5) * 25, 10);
    QMouseEvent move(QEvent::MouseMove, mouse, mouse, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&label, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, mouse, mouse, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&label, &release);
    label.render(&image);
    return 0;
}
