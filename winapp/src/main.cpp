#include "TMain.h"
#include "WindowsApi.h"
#include "hid/DebugLog.h"
#include "sim/HidBackend.h"
#include "win32/Debug.h"
#include "win32/MsgBox.h"
#include "win32/Text.h"
#include "window/ReleaseCopy.h"

#include <commctrl.h>
#include <cstdlib>
#include <iostream>
#include <shellapi.h>
#include <system_error>

using namespace miran;

namespace {

constexpr int kStartFailureExitCode = 1;

std::vector<std::string> CommandLineArguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(win32::ToUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::filesystem::path ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

int ReportStartFailure(const std::string& message) {
    std::cerr << "miran-isp-up: " << message << '\n';
    MessageBoxW(nullptr, win32::ToUtf16(message).c_str(), L"miran-isp-up", MB_OK | MB_ICONERROR);
    return kStartFailureExitCode;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::vector<std::string> arguments = CommandLineArguments();
    if (std::getenv("MIRAN_DEBUG")) // what the HID layer decided, as the command line's --debug shows it
        hid::SetDebugSink([](const std::string& line) { std::cerr << line << '\n'; });
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                       ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);

    sim::HidBackend backend;
    try {
        backend = sim::ChooseHidBackend(sim::SimulationOption(arguments));
    } catch (const std::system_error& error) {
        return ReportStartFailure(error.what());
    } catch (const std::runtime_error& error) {
        std::cerr << "miran-isp-up: --simulate: " << error.what() << '\n';
        return 2;
    }

    window::MainEnvironment environment{
        backend.platform,
        arguments,
        ExecutablePath(),
        [] { return FindWindowA(window::kBuilderWindowClass, nullptr) != nullptr; },
        [](std::chrono::milliseconds duration) { Sleep(static_cast<DWORD>(duration.count())); },
        ".exe"};
    std::unique_ptr<winapp::TMain> created;
    try {
        created = std::make_unique<winapp::TMain>(environment);
    } catch (const std::exception& error) {
        return ReportStartFailure(error.what());
    }
    // The windows carry the names of the original design's forms.
    winapp::TMain& Main = *created; // NOLINT(readability-identifier-naming): the main form's name
    win32::TDebug Debug;            // NOLINT(readability-identifier-naming): the debug form's name
    win32::TMsgBox MsgBox;          // NOLINT(readability-identifier-naming): the message box form's name
    Main.SetDebugWindow(&Debug);
    Main.Show();
    return Main.Run();
}
