// The main window's controls where the layout puts them, read back from the system's windows.

#include "ControlIds.h"
#include "TMain.h"
#include "hid/VirtualHidPlatform.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <vector>

namespace miran::winapp {
namespace {

namespace fs = std::filesystem;

class LayoutTest : public ::testing::Test {
protected:
    void TearDown() override {
        main_.reset();
        // The window saved its placement: the ini file goes, as the settings tests leave the folder.
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
        std::error_code ignored;
        fs::remove_all(fs::path(appData) / "MIRAN", ignored);
    }

    TMain& Main() {
        main_ = std::make_unique<TMain>(window::MainEnvironment{std::make_shared<hid::VirtualHidPlatform>(),
                                                                {},
                                                                "miran-isp-up.exe",
                                                                [] { return false; },
                                                                [](std::chrono::milliseconds) {},
                                                                ".exe"});
        return *main_;
    }

    std::unique_ptr<TMain> main_;
};

// Left, top, width and height in the parent's client area.
RECT PlaceInParent(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

TEST_F(LayoutTest, ControlsAtTheirPlaces) {
    struct Case {
        int id;
        int parent; // 0: the main window
        int left, top, width, height;
    } cases[] = {
        {GroupBox1, 0, 0, 4, 349, 61},
        {Label1, GroupBox1, 8, 16, 81, 16},
        {LabBiosVersion, GroupBox1, 96, 16, 89, 16},
        {Label2, GroupBox1, 8, 32, 81, 16},
        {LabBiosInfo, GroupBox1, 96, 34, 153, 16},
        {GrpBox, 0, 0, 67, 349, 94},
        {Label5, GrpBox, 8, 6, 121, 16},
        {cbDevices, GrpBox, 8, 22, 145, 22},
        {Label4, GrpBox, 200, 25, 81, 16},
        {LabSDBios, GrpBox, 288, 25, 49, 16},
        {Label3, GrpBox, 8, 48, 121, 16},
        {edUsbSerial, GrpBox, 8, 64, 125, 22},
        // Bottom-aligned above the status bar.
        {Panel1, 0, 0, 224 - 19 - 41, 349, 41},
        {ButStart, Panel1, 8, 8, 241, 25},
        {ButExit, Panel1, 264, 8, 75, 25},
    };
    TMain& main = Main();
    for (const Case& c : cases) {
        HWND control = main.Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(GetParent(control), c.parent ? main.Control(c.parent) : main.Handle()) << c.id;
        const RECT place = PlaceInParent(control);
        EXPECT_EQ(place.left, c.left) << c.id;
        EXPECT_EQ(place.top, c.top) << c.id;
        EXPECT_EQ(place.right - place.left, c.width) << c.id;
        EXPECT_EQ(place.bottom - place.top, c.height) << c.id;
    }
    // The lamp sizes itself, and so does the markup label to its caption (171 x 27 laid out).
    const RECT lamp = PlaceInParent(main.Control(Led));
    EXPECT_EQ(lamp.left, 160);
    EXPECT_EQ(lamp.top, 25);
    const RECT markup = PlaceInParent(main.Control(MarkupLabel1));
    EXPECT_EQ(markup.left, 144);
    EXPECT_EQ(markup.top, 60);
    // So does the status bar (a pixel higher than laid out), at the bottom over the whole width.
    const RECT bar = PlaceInParent(main.Control(sBar));
    EXPECT_EQ(bar.left, 0);
    EXPECT_EQ(bar.right, 349);
    EXPECT_EQ(bar.bottom, 224);
}

TEST_F(LayoutTest, ProgressBarInTheSecondPanel) {
    TMain& main = Main();
    RECT panel{};
    SendMessageW(main.Control(sBar), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&panel));
    const RECT bar = PlaceInParent(main.Control(pBar));
    EXPECT_EQ(GetParent(main.Control(pBar)), main.Control(sBar));
    EXPECT_GE(bar.left, panel.left);
    EXPECT_GE(bar.top, panel.top);
    EXPECT_LE(bar.right, panel.right);
    EXPECT_LE(bar.bottom, panel.bottom);
    EXPECT_GT(bar.right, bar.left);
}

TEST_F(LayoutTest, FixedSingleBorderWithTheSystemMenuOnlyCentred) {
    TMain& main = Main();
    main.Show();
    RECT client{};
    GetClientRect(main.Handle(), &client);
    EXPECT_EQ(client.right, 349);
    EXPECT_EQ(client.bottom, 224);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(main.Handle(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    RECT frame{};
    GetWindowRect(main.Handle(), &frame);
    const int desktopWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int desktopHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    EXPECT_EQ(frame.left, (desktopWidth - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, (desktopHeight - (frame.bottom - frame.top)) / 2);
}

// Typing overwrites and erasing leaves blanks: the serial mask behind the field.
TEST_F(LayoutTest, SerialFieldEditsThroughItsMask) {
    HWND field = Main().Control(edUsbSerial);
    const auto text = [&] {
        wchar_t shown[32] = {};
        GetWindowTextW(field, shown, 32);
        return std::wstring(shown);
    };
    EXPECT_EQ(text(), L"_______________");
    SendMessageW(field, WM_CHAR, L'4', 0);
    SendMessageW(field, WM_CHAR, L'x', 0);
    SendMessageW(field, WM_CHAR, L'7', 0);
    EXPECT_EQ(text(), L"47_____________");
    SendMessageW(field, EM_SETSEL, 0, 0);
    SendMessageW(field, WM_CHAR, L'1', 0);
    EXPECT_EQ(text(), L"17_____________");
    SendMessageW(field, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(text(), L"_7_____________");
    SendMessageW(field, EM_SETSEL, 1, 1);
    SendMessageW(field, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(text(), L"_______________");
}

// Shift+Insert pastes through the mask as Ctrl+V does, so the field never shows what the upload would not
// write.
TEST_F(LayoutTest, ShiftInsertPastesThroughTheMask) {
    HWND field = Main().Control(edUsbSerial);
    ASSERT_TRUE(OpenClipboard(field));
    EmptyClipboard();
    const wchar_t pasted[] = L"12ab34";
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
    std::memcpy(GlobalLock(data), pasted, sizeof pasted);
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();

    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(field, EM_SETSEL, 0, 0);
    SendMessageW(field, WM_KEYDOWN, VK_INSERT, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    wchar_t shown[32] = {};
    GetWindowTextW(field, shown, 32);
    SendMessageW(field, EM_SETSEL, 0, 0);
    SendMessageW(field, WM_PASTE, 0, 0);
    wchar_t byMessage[32] = {};
    GetWindowTextW(field, byMessage, 32);
    EXPECT_EQ(std::wstring(shown), std::wstring(byMessage));
    EXPECT_EQ(std::wstring(shown).find_first_of(L"ab"), std::wstring::npos);
}

// Logging off closes the window as its close box does: the settings are written and the window goes.
TEST_F(LayoutTest, EndOfTheSessionClosesTheWindow) {
    TMain& main = Main();
    main.Show();
    EXPECT_EQ(SendMessageW(main.Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(main.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(main.Handle()));
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    std::ifstream ini(fs::path(appData) / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini", std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(ini), {}};
    EXPECT_NE(content.find("[CONFIG]\r\nDEVICE=\r\n"), std::string::npos) << content;
}

// Tab moves the focus on through the controls inside the group box and the panel.
TEST_F(LayoutTest, TabMovesBetweenTheControls) {
    TMain& main = Main();
    main.Show();
    SetForegroundWindow(main.Handle());
    SetFocus(main.Control(cbDevices));
    static std::vector<int> focused;
    focused.clear();
    HHOOK hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_SETFOCUS && wParam != 0)
                focused.push_back(GetDlgCtrlID(reinterpret_cast<HWND>(wParam)));
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    PostMessageW(main.Control(cbDevices), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(main.Control(cbDevices), WM_KEYUP, VK_TAB, 0);
    PostMessageW(main.Handle(), WM_CLOSE, 0, 0);
    main.Run();
    UnhookWindowsHookEx(hook);
    ASSERT_FALSE(focused.empty());
    EXPECT_EQ(focused.front(), edUsbSerial);
}

} // namespace
} // namespace miran::winapp
