#pragma once

#include <QApplication>

// Qt's fallback font engine keeps the patterns FcFontMatch returns (QFontEngineMultiFontConfig::
// getMatchPatternForFallback) and never frees them: a leak inside Qt and fontconfig, seen whenever a caption
// needs a fallback font. Their stacks end in libfontconfig, which has no frame pointers.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace miran::fuzz {

// Widgets need an application; the offscreen platform paints without a display. The application lives
// until the process ends: destroyed among the exit handlers it would outlive Qt's own globals. Qt's
// warnings (a caption that cannot be painted, for one) would flood the fuzzer's output.
inline void StartOffscreenApplication(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static const QApplication* application = new QApplication(*argc, *argv);
    (void)application;
}

} // namespace miran::fuzz
