// Renders the Win32 main window in its typical states into PNG files: no device, identified, uploading,
// failed. Run under Wine's X11 driver (scripts/screenshot --windows DIR).

#include "ControlIds.h"
#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/Protocol.h"
#include "win32/Capture.h"

#include <commctrl.h>
#include <filesystem>
#include <iostream>

using namespace miran;

namespace {

// Runs the loop for a while: the notifications, and the repaints they cause.
void Settle() {
    const DWORD end = GetTickCount() + 200;
    for (DWORD now = GetTickCount(); now < end; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool Save(const winapp::TMain& window, const std::filesystem::path& dir, const char* name) {
    RedrawWindow(window.Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const std::filesystem::path file = dir / (std::string(name) + ".png");
    const bool ok = win32::WritePng(win32::CaptureWindow(window.Handle()), file);
    std::cout << (ok ? "wrote " : "could not write ") << file.string() << '\n';
    return ok;
}

void ClickStart(const winapp::TMain& window) {
    SendMessageW(window.Control(winapp::ButStart), BM_CLICK, 0, 0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: miran-isp-up-screenshots DIR\n";
        return 2;
    }
    const std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);

    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus(platform);
    bool ok = true;
    int sleeps = 0;
    winapp::TMain* window = nullptr;
    window::MainEnvironment env{platform,
                                {},
                                "miran-isp-up.exe",
                                [] { return false; },
                                [&](std::chrono::milliseconds) {
                                    // Halfway through the upload.
                                    if (++sleeps == 9 && window)
                                        ok &= Save(*window, dir, "uploading");
                                },
                                ".exe"};
    winapp::TMain main(env);
    window = &main;
    main.Show();
    Settle();
    ok &= Save(main, dir, "no-device");

    auto programmer = bus.PlugProgrammer(sim::DefaultProgrammer(0));
    Settle();
    ok &= Save(main, dir, "identified");
    ClickStart(main);
    Settle();

    bus.Unplug(*programmer);
    sim::ProgrammerConfig failing = sim::DefaultProgrammer(1);
    failing.status[update::cmdErase] = 1;
    auto failingProgrammer = bus.PlugProgrammer(failing);
    Settle();
    ClickStart(main);
    ok &= Save(main, dir, "failed");
    return ok ? 0 : 1;
}
