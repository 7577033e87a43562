#include "win32/ObjectWindow.h"

#include <uxtheme.h>

namespace miran::win32 {

ObjectWindow::~ObjectWindow() {
    if (hwnd_ == nullptr)
        return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void ObjectWindow::Create(const Class& windowClass, DWORD exStyle, DWORD style, const wchar_t* title,
                          int left, int top, int width, int height, HWND parent) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (!GetClassInfoExW(instance, windowClass.name, &known)) {
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        description.style = windowClass.style;
        description.lpfnWndProc = Procedure;
        description.hInstance = instance;
        description.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        description.hbrBackground = windowClass.background;
        description.lpszClassName = windowClass.name;
        RegisterClassExW(&description);
    }
    CreateWindowExW(exStyle, windowClass.name, title, style, left, top, width, height, parent, nullptr,
                    instance, this);
}

LRESULT CALLBACK ObjectWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ObjectWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ObjectWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT ObjectWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LRESULT ObjectWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void ObjectWindow::Paint(UINT message, WPARAM wParam,
                         const std::function<void(HDC dc, int width, int height)>& draw) {
    PAINTSTRUCT paint{};
    const HDC target = message == WM_PAINT ? BeginPaint(hwnd_, &paint) : reinterpret_cast<HDC>(wParam);
    const int width = ClientWidth(), height = ClientHeight();
    if (width > 0 && height > 0) {
        const HDC buffer = CreateCompatibleDC(target);
        const HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
        const HGDIOBJ previous = SelectObject(buffer, bitmap);
        draw(buffer, width, height);
        BitBlt(target, 0, 0, width, height, buffer, 0, 0, SRCCOPY);
        SelectObject(buffer, previous);
        DeleteObject(bitmap);
        DeleteDC(buffer);
    }
    if (message == WM_PAINT)
        EndPaint(hwnd_, &paint);
}

int ObjectWindow::ClientWidth() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return client.right;
}

int ObjectWindow::ClientHeight() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return client.bottom;
}

void PaintParentBackground(HWND child, HDC dc) {
    DrawThemeParentBackground(child, dc, nullptr);
}

paint::TColor ParentBackground(HWND child) {
    const HDC dc = GetDC(child);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(child), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child)));
    ReleaseDC(child, dc);
    LOGBRUSH description{};
    if (brush == nullptr || GetObjectW(brush, sizeof(description), &description) == 0 ||
        description.lbStyle != BS_SOLID)
        return paint::clBtnFace;
    return paint::TColor(GetRValue(description.lbColor), GetGValue(description.lbColor),
                         GetBValue(description.lbColor));
}

} // namespace miran::win32
