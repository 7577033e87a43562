#include "win32/Debug.h"

#include "win32/Text.h"

#include <gtest/gtest.h>
#include <string>

using miran::win32::TDebug;

namespace {

std::wstring Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void ExpectMemoFillsTheWindow(const TDebug& debug) {
    RECT client{}, memo{};
    GetClientRect(debug.Handle(), &client);
    GetWindowRect(debug.Memo(), &memo);
    MapWindowPoints(HWND_DESKTOP, debug.Handle(), reinterpret_cast<POINT*>(&memo), 2);
    EXPECT_EQ(memo.left, 0);
    EXPECT_EQ(memo.top, 0);
    EXPECT_EQ(memo.right, client.right);
    EXPECT_EQ(memo.bottom, client.bottom);
}

} // namespace

TEST(DebugTest, AHiddenWindowWithAReadOnlyLog) {
    TDebug debug;
    EXPECT_FALSE(IsWindowVisible(debug.Handle()));
    EXPECT_EQ(Text(debug.Handle()), L"Debug");
    RECT frame{};
    GetWindowRect(debug.Handle(), &frame);
    EXPECT_EQ(frame.left, 1165);
    EXPECT_EQ(frame.top, 59);
    EXPECT_EQ(frame.right - frame.left, 594);
    EXPECT_EQ(frame.bottom - frame.top, 554);
    EXPECT_TRUE(GetWindowLongW(debug.Handle(), GWL_STYLE) & WS_THICKFRAME);

    const LONG memo = GetWindowLongW(debug.Memo(), GWL_STYLE);
    EXPECT_TRUE(memo & ES_MULTILINE);
    EXPECT_TRUE(memo & ES_READONLY);
    EXPECT_TRUE(memo & WS_VSCROLL);
    EXPECT_FALSE(memo & WS_HSCROLL);
    EXPECT_EQ(Text(debug.Memo()), L"");
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(debug.Memo(), WM_GETFONT, 0, 0)), sizeof(font), &font);
    EXPECT_EQ(std::wstring(font.lfFaceName), L"Courier New");
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    ExpectMemoFillsTheWindow(debug);
    SetWindowPos(debug.Handle(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    ExpectMemoFillsTheWindow(debug);
}

TEST(DebugTest, ADoubleClickClearsTheLogEmptyOrNot) {
    TDebug debug;
    SendMessageW(debug.Memo(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Text(debug.Memo()), L"");
    SetWindowTextW(debug.Memo(), L"line 1\r\nline 2");
    SendMessageW(debug.Memo(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Text(debug.Memo()), L"");
}

TEST(DebugTest, ClosingOnlyHides) {
    TDebug debug;
    debug.Show();
    EXPECT_TRUE(IsWindowVisible(debug.Handle()));
    SendMessageW(debug.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(debug.Handle()));
    EXPECT_FALSE(IsWindowVisible(debug.Handle()));
    debug.Show();
    EXPECT_TRUE(IsWindowVisible(debug.Handle()));
}
