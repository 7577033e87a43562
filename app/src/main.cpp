#include "DemoWindow.h"
#include "Fonts.h"
#include "GracefulExit.h"
#include "ReleaseCopy.h"
#include "StartFailure.h"
#include "TDebug.h"
#include "TMain.h"
#include "TMsgBox.h"
#include "hid/DebugLog.h"
#include "hid/SystemHidPlatform.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <thread>

using namespace miran;

namespace {

// "--simulate" or "--simulate=FILE": demo mode over virtual programmers.
std::optional<std::string> SimulationOption(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--simulate")
            return std::string();
        if (argument.rfind("--simulate=", 0) == 0)
            return argument.substr(std::string("--simulate=").size());
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::InstallFonts();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (std::getenv("MIRAN_DEBUG")) // what the HID layer decided, as the command line's --debug shows it
        hid::SetDebugSink([](const std::string& line) { std::cerr << line << '\n'; });

    std::shared_ptr<hid::HidPlatform> platform;
    std::unique_ptr<sim::SimulatedBus> bus;
    std::vector<std::shared_ptr<sim::VirtualProgrammer>> programmers;
    const std::optional<std::string> simulation = SimulationOption(arguments);
    if (simulation) {
        auto virtualPlatform = std::make_shared<hid::VirtualHidPlatform>();
        bus = std::make_unique<sim::SimulatedBus>(virtualPlatform);
        try {
            auto configs = simulation->empty() ? std::vector<sim::ProgrammerConfig>{sim::DefaultProgrammer(0)}
                                               : sim::LoadSimulationFile(*simulation);
            for (sim::ProgrammerConfig& config : configs)
                programmers.push_back(bus->PlugProgrammer(std::move(config)));
        } catch (const std::runtime_error& error) {
            std::cerr << "miran-isp-up: --simulate: " << error.what() << '\n';
            return 2;
        }
        platform = virtualPlatform;
    } else {
        platform = hid::CreateSystemHidPlatform();
    }

    app::MainEnvironment environment{
        platform,
        arguments,
        QCoreApplication::applicationFilePath().toStdString(),
        [] { return app::X11WindowClassExists(app::kBuilderWindowClass); },
        [](std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); },
        ""};
    std::unique_ptr<app::TMain> created;
    try {
        created = std::make_unique<app::TMain>(environment);
    } catch (const std::exception& error) {
        return app::ReportStartFailure(error.what());
    }
    app::TMain& Main = *created;
    app::TDebug Debug;
    app::TMsgBox MsgBox;
    Debug.setAttribute(Qt::WA_QuitOnClose, false);
    MsgBox.setAttribute(Qt::WA_QuitOnClose, false);
    Main.SetDebugWindow(&Debug);

    std::unique_ptr<app::DemoWindow> demo;
    if (bus) {
        demo = std::make_unique<app::DemoWindow>(*bus, programmers);
        demo->setAttribute(Qt::WA_QuitOnClose, false);
        demo->show();
    }

    app::CloseOnTerminationSignals(Main);
    Main.show();
    return application.exec();
}
