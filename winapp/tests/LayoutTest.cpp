// The main window's controls where the layout puts them, read back from the system's windows.

#include "ControlIds.h"
#include "TMain.h"
#include "hid/VirtualHidPlatform.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <shlobj.h>

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

} // namespace
} // namespace miran::winapp
