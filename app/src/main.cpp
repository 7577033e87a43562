#include "DemoWindow.h"
#include "Fonts.h"
#include "GracefulExit.h"
#include "StartFailure.h"
#include "TDebug.h"
#include "TMain.h"
#include "TMsgBox.h"
#include "X11WindowProbe.h"
#include "hid/DebugLog.h"
#include "sim/HidBackend.h"
#include "window/ReleaseCopy.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <system_error>
#include <thread>

using namespace miran;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Lets the desktop match the window to its launcher and icon (the .desktop file's name).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.miran.MiranIspUp"));
    app::InstallFonts();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (std::getenv("MIRAN_DEBUG")) // what the HID layer decided, as the command line's --debug shows it
        hid::SetDebugSink([](const std::string& line) { std::cerr << line << '\n'; });

    sim::HidBackend backend;
    try {
        backend = sim::ChooseHidBackend(sim::SimulationOption(arguments));
    } catch (const std::system_error& error) {
        return app::ReportStartFailure(error.what());
    } catch (const std::runtime_error& error) {
        std::cerr << "miran-isp-up: --simulate: " << error.what() << '\n';
        return 2;
    }

    app::MainEnvironment environment{
        backend.platform,
        arguments,
        QCoreApplication::applicationFilePath().toStdString(),
        [] { return app::X11WindowClassExists(window::kBuilderWindowClass); },
        [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); },
        ""};
    std::unique_ptr<app::TMain> created;
    try {
        created = std::make_unique<app::TMain>(environment);
    } catch (const std::exception& error) {
        return app::ReportStartFailure(error.what());
    }
    // The three windows carry the names of the original design's forms.
    app::TMain& Main = *created; // NOLINT(readability-identifier-naming): the main form's name
    app::TDebug Debug;           // NOLINT(readability-identifier-naming): the debug form's name
    app::TMsgBox MsgBox;         // NOLINT(readability-identifier-naming): the message box form's name
    Debug.setAttribute(Qt::WA_QuitOnClose, false);
    MsgBox.setAttribute(Qt::WA_QuitOnClose, false);
    Main.SetDebugWindow(&Debug);

    std::unique_ptr<app::DemoWindow> demo;
    if (backend.bus) {
        demo = std::make_unique<app::DemoWindow>(*backend.bus, backend.programmers);
        demo->setAttribute(Qt::WA_QuitOnClose, false);
        demo->show();
    }

    app::CloseOnTerminationSignals(Main);
    Main.show();
    return application.exec();
}
