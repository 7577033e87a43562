// Drives a running miran-isp-up.exe as a user would, from another process: waits for the remembered
// programmer to be identified, clicks START UPDATE, waits for the outcome and for the programmer's return
// after its restart, and closes the window. Prints what the window showed on the way.
// With --release-copy APP.exe: starts APP.exe with the release argument while a window of the builder's class
// exists, and prints whether the Debug window came up. With --status: prints the first status line the
// window shows, and closes it.

#include "ControlIds.h"
#include "WindowsApi.h"
#include "win32/Text.h"

#include <chrono>
#include <functional>
#include <iostream>
#include <shellapi.h>
#include <string>
#include <thread>

using namespace miran::winapp;

namespace {

// The other process answers in its own time: asked again until the deadline.
bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

HWND FindControl(HWND main, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        main,
        [](HWND child, LPARAM data) {
            auto& s = *reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s.id)
                return TRUE;
            s.found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A control's text as the control keeps it: from another process GetWindowText reads only the caption.
std::string ControlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return miran::win32::ToUtf8(text);
}

std::string EntryText(HWND combo, int index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    return miran::win32::ToUtf8(text);
}

int Fail(const std::string& what) {
    std::cout << "timed out: " << what << std::endl;
    return 1;
}

} // namespace

// The main window, once shown: its controls exist by then.
HWND ShownMainWindow() {
    HWND main = nullptr;
    const bool shown = WaitFor(
        [&] { return (main = FindWindowW(kMainWindowClass, nullptr)) != nullptr && IsWindowVisible(main); });
    return shown ? main : nullptr;
}

int ReleaseCopy(const std::wstring& app) {
    // Named in another case: the class is found whatever its case.
    WNDCLASSW builderClass{};
    builderClass.lpfnWndProc = DefWindowProcW;
    builderClass.hInstance = GetModuleHandleW(nullptr);
    builderClass.lpszClassName = L"TAppBuilder";
    RegisterClassW(&builderClass);
    HWND builder = CreateWindowExW(0, L"TAppBuilder", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    std::wstring commandLine = L"\"" + app + L"\" 5246031";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(app.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return Fail("the window does not start");
    HWND main = ShownMainWindow();
    if (main == nullptr)
        return Fail("no main window");
    HWND debug = FindWindowW(L"TDebug", L"Debug");
    std::cout << "Debug shown: " << (debug != nullptr && IsWindowVisible(debug) ? "yes" : "no") << '\n';
    PostMessageW(main, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    DestroyWindow(builder);
    return 0;
}

int FirstStatus() {
    HWND main = ShownMainWindow();
    if (main == nullptr)
        return Fail("no main window");
    HWND bar = FindControl(main, sBar);
    std::string status;
    if (!WaitFor([&] { return !(status = ControlText(bar)).empty(); }))
        return Fail("no status");
    std::cout << "status: " << status << '\n';
    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
}

int main() {
    std::cout << std::unitbuf;
    int argumentCount = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &argumentCount);
    if (argumentCount == 3 && std::wstring(arguments[1]) == L"--release-copy")
        return ReleaseCopy(arguments[2]);
    if (argumentCount == 2 && std::wstring(arguments[1]) == L"--status")
        return FirstStatus();
    HWND main = ShownMainWindow();
    if (main == nullptr)
        return Fail("no main window");
    HWND start = FindControl(main, ButStart);
    HWND list = FindControl(main, cbDevices);
    HWND bar = FindControl(main, sBar);
    if (!WaitFor([&] { return IsWindowEnabled(start) != FALSE; }))
        return Fail("START UPDATE stays disabled, status '" + ControlText(bar) + "'");

    std::cout << "title: " << ControlText(main) << '\n';
    const int count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        std::cout << "entry: " << EntryText(list, i) << '\n';
    std::cout << "selected: " << SendMessageW(list, CB_GETCURSEL, 0, 0) << '\n';
    std::cout << "Bios-Version: " << ControlText(FindControl(main, LabSDBios)) << '\n';
    std::cout << "USB-Serial Number: " << ControlText(FindControl(main, edUsbSerial)) << '\n';

    PostMessageW(start, BM_CLICK, 0, 0);
    // The status bar's text is its status panel's.
    std::string status;
    if (!WaitFor([&] {
            status = ControlText(bar);
            return !status.empty() && status != "Writing Bios";
        }))
        return Fail("no outcome");
    std::cout << "status: " << status << '\n';

    // The programmer restarts after its closing command; once back it is identified with its new Bios.
    HWND deviceBios = FindControl(main, LabSDBios);
    if (!WaitFor([&] {
            return ControlText(deviceBios) == "v1.9.0" && IsWindowEnabled(start) &&
                   SendMessageW(list, CB_GETCURSEL, 0, 0) == 1;
        }))
        return Fail("the restarted programmer is not identified");
    std::cout << "after the restart: " << EntryText(list, 1) << ", " << ControlText(bar) << '\n';

    PostMessageW(main, WM_CLOSE, 0, 0);
    return 0;
}
