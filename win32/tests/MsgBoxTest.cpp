#include "win32/MsgBox.h"

#include "ControlTestSupport.h"
#include "paint/MessageGlyph.h"

#include <gtest/gtest.h>
#include <string>

using namespace miran::paint;
using namespace miran::win32::test;
using miran::win32::TMsgBox;

namespace {

std::wstring Text(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

RECT PlaceIn(HWND control, HWND parent) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

} // namespace

TEST(MsgBoxTest, AHiddenToolWindowWithoutButtons) {
    TMsgBox box;
    EXPECT_FALSE(IsWindowVisible(box.Handle()));
    EXPECT_EQ(Text(box.Handle()), L"MsgBox");
    const LONG style = GetWindowLongW(box.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongW(box.Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT client{};
    GetClientRect(box.Handle(), &client);
    EXPECT_EQ(client.right, 295);
    EXPECT_EQ(client.bottom, 123);
}

TEST(MsgBoxTest, AnEmptyPictureAndTheLabelSizedToItsText) {
    TMsgBox box;
    const RECT img = PlaceIn(box.Img(), box.Handle());
    EXPECT_EQ(img.left, 16);
    EXPECT_EQ(img.top, 16);
    EXPECT_EQ(img.right - img.left, 32);
    EXPECT_EQ(img.bottom - img.top, 32);
    EXPECT_EQ(SendMessageW(box.Img(), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    EXPECT_EQ(Text(box.InfoLabel()), L"InfoLabel");
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(box.InfoLabel(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Verdana");
    EXPECT_EQ(font.lfHeight, -11);
    const RECT label = PlaceIn(box.InfoLabel(), box.Handle());
    EXPECT_EQ(label.left, 72);
    EXPECT_EQ(label.top, 8);
    const HDC screen = GetDC(nullptr);
    const HGDIOBJ previous =
        SelectObject(screen, reinterpret_cast<HFONT>(SendMessageW(box.InfoLabel(), WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(screen, L"InfoLabel", 9, &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(label.right - label.left, size.cx);
}

TEST(MsgBoxTest, TheFourPicturesArePaints) {
    TMsgBox box;
    ASSERT_EQ(ImageList_GetImageCount(box.IconImg()), 4);
    int width = 0, height = 0;
    ImageList_GetIconSize(box.IconImg(), &width, &height);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 32);
    const MessageGlyph order[] = {MessageGlyph::Exclamation, MessageGlyph::Stop, MessageGlyph::Information,
                                  MessageGlyph::Question};
    for (int i = 0; i < 4; ++i) {
        const Bitmap expected = DrawMessageGlyph(order[i]);
        const Picture picture =
            Render(32, 32, [&](HDC dc) { ImageList_Draw(box.IconImg(), i, dc, 0, 0, ILD_NORMAL); });
        EXPECT_EQ(picture.pixels, expected.pixels) << i;
    }
}

TEST(MsgBoxTest, ShowingFocusesTheButtonBut1WhenThereIsOne) {
    TMsgBox box;
    ShowWindow(box.Handle(), SW_SHOW); // no such button: nothing happens
    ShowWindow(box.Handle(), SW_HIDE);
    const HWND button =
        CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 100, 80, 75, 25,
                        box.Handle(), reinterpret_cast<HMENU>(TMsgBox::kBut1), nullptr, nullptr);
    ShowWindow(box.Handle(), SW_SHOW);
    EXPECT_EQ(GetFocus(), button);
}
