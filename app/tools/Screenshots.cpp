// Renders the main window in its typical states into PNG files: no device, identified, uploading, failed, and
// two programmers with the second picked by hand.

#include "Fonts.h"
#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <iostream>

using namespace miran;

namespace {

void Settle() {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 200)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(QWidget& window, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name + ".png");
    bool ok = window.grab().save(path);
    std::cout << (ok ? "wrote " : "could not write ") << path.toStdString() << '\n';
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: miran-isp-up-screenshots DIR\n";
        return 2;
    }
    QDir dir(argv[1]);
    dir.mkpath(".");
    app::InstallFonts();

    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus(platform);
    bool ok = true;
    int sleeps = 0;
    app::TMain* window = nullptr;
    app::MainEnvironment env{platform,
                             {},
                             "",
                             [] { return false; },
                             [&](std::chrono::milliseconds) {
                                 // Halfway through the upload.
                                 if (++sleeps == 9 && window)
                                     ok &= Save(*window, dir, "uploading");
                             },
                             ""};
    app::TMain main(env);
    window = &main;
    main.show();
    Settle();
    ok &= Save(main, dir, "no-device");

    auto programmer = bus.PlugProgrammer(sim::DefaultProgrammer(0));
    Settle();
    ok &= Save(main, dir, "identified");
    main.ButStartClick();
    Settle();

    bus.Unplug(*programmer);
    sim::ProgrammerConfig failing = sim::DefaultProgrammer(1);
    failing.status[14] = 1;
    auto failingProgrammer = bus.PlugProgrammer(failing);
    Settle();
    main.ButStartClick();
    ok &= Save(main, dir, "failed");

    bus.Unplug(*failingProgrammer);
    bus.PlugProgrammer(sim::DefaultProgrammer(2));
    bus.PlugProgrammer(sim::DefaultProgrammer(3));
    Settle();
    main.cbDevices->setCurrentIndex(1);
    emit main.cbDevices->activated(1);
    Settle();
    ok &= Save(main, dir, "picked-second");
    return ok ? 0 : 1;
}
