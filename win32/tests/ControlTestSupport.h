#pragma once

#include "paint/Color.h"
#include "win32/GdiCanvas.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace miran::win32::test {

inline const paint::TColor kParentColor(10, 20, 30);

// A pixel picture read back from a 32-bit DIB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<paint::TColor> pixels;
    paint::TColor At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
    friend bool operator==(const Picture&, const Picture&) = default;
};

// What draw() paints into a memory device context of that size, over a ground of that colour.
inline Picture Render(int width, int height, const std::function<void(HDC)>& draw,
                      paint::TColor ground = kParentColor) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    GdiCanvas(dc).FillRect({0, 0, width, height}, ground);
    draw(dc);
    GdiFlush();
    Picture picture{width, height, {}};
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i)
        picture.pixels.emplace_back((pixels[i] >> 16) & 0xFF, (pixels[i] >> 8) & 0xFF, pixels[i] & 0xFF);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

// What a control paints of itself, as WM_PAINT would show it; the ground shows where it paints nothing.
inline Picture Print(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    return Render(
        client.right, client.bottom,
        [&](HDC dc) { SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); },
        paint::clFuchsia);
}

// A hidden top-level window of kParentColor whose static children take that colour too.
class TestParent {
public:
    explicit TestParent(int width = 400, int height = 300) {
        static const HBRUSH brush = CreateSolidBrush(ToColorRef(kParentColor));
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        if (!GetClassInfoExW(instance, L"MiranTestParent", &description)) {
            description.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
                if (message == WM_CTLCOLORSTATIC)
                    return reinterpret_cast<LRESULT>(brush);
                return DefWindowProcW(window, message, wParam, lParam);
            };
            description.hInstance = instance;
            description.hbrBackground = brush;
            description.lpszClassName = L"MiranTestParent";
            RegisterClassExW(&description);
        }
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
        handle_ = CreateWindowExW(0, L"MiranTestParent", L"Test", WS_OVERLAPPEDWINDOW, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    }
    ~TestParent() { DestroyWindow(handle_); }
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

// The control's place in its parent's client area.
inline RECT PlaceInParent(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

} // namespace miran::win32::test
