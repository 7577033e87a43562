#include "TMain.h"

#include "ControlIds.h"
#include "win32/Text.h"

#include <commctrl.h>
#include <system_error>

namespace miran::winapp {

namespace {

constexpr UINT kDispatchedMessage = WM_APP + 1;
constexpr const wchar_t* kPanelClass = L"TPanel";
constexpr int kClientWidth = 349;
constexpr int kClientHeight = 224;
constexpr int kPanelHeight = 41;
constexpr int kBarHeight = 19;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kPanelColour = RGB(225, 225, 225);
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Panel1's colour, for its class and the buttons on it; made once for the program's life.
HBRUSH PanelBrush() {
    static const HBRUSH brush = CreateSolidBrush(kPanelColour);
    return brush;
}

HWND MakeChild(HWND parent, int id, const wchar_t* windowClass, const wchar_t* text, DWORD style, RECT place,
               HFONT font) {
    HWND child = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

RECT Place(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// Containers hand their children's notifications and colour questions to the main window.
LRESULT ForwardToParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(GetParent(window), message, wParam, lParam);
}

bool IsForwarded(UINT message) {
    return message == WM_COMMAND || message == WM_NOTIFY || message == WM_CTLCOLORSTATIC ||
           message == WM_CTLCOLORBTN || message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
}

LRESULT CALLBACK GroupProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (IsForwarded(message))
        return ForwardToParent(window, message, wParam, lParam);
    // A styled group box paints only its frame and caption; as a parent it must fill what its children leave,
    // whether or not the repaint asked for erasing, and also for the transparent children that print it.
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        DefSubclassProc(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_PRINTCLIENT) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, GroupProcedure, 0);
    return DefSubclassProc(window, message, wParam, lParam);
}

// Panel1: filled with its colour inside a lowered bevel; its children keep their places from its corner.
LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsForwarded(message))
        return ForwardToParent(window, message, wParam, lParam);
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses(WNDPROC mainProcedure) {
    static const bool registered = [mainProcedure] {
        WNDCLASSW main{};
        main.lpfnWndProc = mainProcedure;
        main.hInstance = GetModuleHandleW(nullptr);
        main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        main.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        main.lpszClassName = kMainWindowClass;
        RegisterClassW(&main);
        WNDCLASSW panel{};
        panel.lpfnWndProc = PanelProcedure;
        panel.hInstance = GetModuleHandleW(nullptr);
        panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        panel.hbrBackground = PanelBrush();
        panel.lpszClassName = kPanelClass;
        RegisterClassW(&panel);
        return true;
    }();
    (void)registered;
}

} // namespace

TMain::TMain(window::MainEnvironment environment)
    : placementWindow_(settings::TFormBorderStyle::bsSingle, settings::TPosition::poDesktopCenter,
                       {[this](HWND control) {
                            const int id = GetDlgCtrlID(control);
                            return names_.contains(id) ? names_.at(id) : std::string();
                        },
                        [this](const std::string& name) -> HWND {
                            for (const auto& [id, controlName] : names_)
                                if (controlName == name)
                                    return Control(id);
                            return nullptr;
                        }}) {
    RegisterClasses(Procedure);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kMainStyle, FALSE, 0);
    handle_ = CreateWindowExW(0, kMainWindowClass, L"", kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (handle_ == nullptr)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateWindowExW");
    placementWindow_.SetHandle(handle_);
    CreateControls();
    behaviour_ = std::make_unique<window::MainWindow>(
        std::move(environment), static_cast<window::MainView&>(*this), placementWindow_);
}

TMain::~TMain() {
    behaviour_.reset();
    if (IsWindow(handle_))
        DestroyWindow(handle_);
}

HWND TMain::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void TMain::Add(int id, HWND control) {
    SetWindowLongPtrW(control, GWLP_ID, id);
    controls_[id] = control;
}

void TMain::CreateControls() {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(baseFont_.Get()), FALSE);
    names_ = {{GroupBox1, "GroupBox1"},
              {Label1, "Label1"},
              {LabBiosVersion, "LabBiosVersion"},
              {Label2, "Label2"},
              {LabBiosInfo, "LabBiosInfo"},
              {GrpBox, "GrpBox"},
              {Label5, "Label5"},
              {cbDevices, "cbDevices"},
              {Led, "Led"},
              {Label4, "Label4"},
              {LabSDBios, "LabSDBios"},
              {Label3, "Label3"},
              {edUsbSerial, "edUsbSerial"},
              {MarkupLabel1, "MarkupLabel1"},
              {Panel1, "Panel1"},
              {ButStart, "ButStart"},
              {ButExit, "ButExit"},
              {sBar, "sBar"},
              {pBar, "pBar"}};
    const auto group = [&](int id, const wchar_t* caption, RECT place) {
        HWND box = MakeChild(handle_, id, L"BUTTON", caption, BS_GROUPBOX | WS_CLIPCHILDREN, place,
                             labelFont_.Get());
        SetWindowSubclass(box, GroupProcedure, 0, 0);
        // Tab reaches the controls inside.
        SetWindowLongPtrW(box, GWL_EXSTYLE, GetWindowLongPtrW(box, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
        Add(id, box);
        return box;
    };
    const auto label = [&](HWND parent, int id, const wchar_t* text, RECT place, DWORD alignment) {
        Add(id, MakeChild(parent, id, L"STATIC", text, alignment | SS_NOPREFIX, place, labelFont_.Get()));
    };
    constexpr DWORD left = SS_LEFTNOWORDWRAP;

    HWND box1 = group(GroupBox1, L"[ BIOS VERSION INFO ]", Place(0, 4, 349, 61));
    label(box1, Label1, L"Bios-Version:", Place(8, 16, 81, 16), SS_RIGHT);
    label(box1, LabBiosVersion, L"---", Place(96, 16, 89, 16), left);
    label(box1, Label2, L"Bios-Info:", Place(8, 32, 81, 16), SS_RIGHT);
    label(box1, LabBiosInfo, L"---", Place(96, 34, 153, 16), SS_LEFT);

    HWND box2 = group(GrpBox, L"", Place(0, 67, 349, 94));
    label(box2, Label5, L"Device-Serial Number", Place(8, 6, 121, 16), left);
    HWND combo = MakeChild(box2, cbDevices, WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                           Place(8, 22, 145, 22 + 8 * 16), labelFont_.Get());
    // The closed box as high as the layout has it; the height above was that of the open list.
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 22 - 6);
    Add(cbDevices, combo);
    Led_ = std::make_unique<win32::TLED>(box2, 160, 25);
    Add(Led, Led_->Handle());
    label(box2, Label4, L"Bios-Version:", Place(200, 25, 81, 16), SS_RIGHT);
    label(box2, LabSDBios, L"---", Place(288, 25, 49, 16), left);
    label(box2, Label3, L"USB-Serial Number", Place(8, 48, 121, 16), left);
    edUsbSerial_ = std::make_unique<MaskedEdit>(box2, edUsbSerial, Place(8, 64, 125, 22));
    SendMessageW(edUsbSerial_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.Get()), FALSE);
    Add(edUsbSerial, edUsbSerial_->Handle());
    MarkupLabel1_ = std::make_unique<win32::TMarkupLabel>(box2, 144, 60, 171, 27);
    MarkupLabel1_->setFont(labelFont_.Font());
    MarkupLabel1_->setCaption("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio");
    Add(MarkupLabel1, MarkupLabel1_->Handle());

    HWND panel = MakeChild(handle_, Panel1, kPanelClass, L"", WS_CLIPCHILDREN,
                           Place(0, kClientHeight - kBarHeight - kPanelHeight, kClientWidth, kPanelHeight),
                           baseFont_.Get());
    SetWindowLongPtrW(panel, GWL_EXSTYLE, GetWindowLongPtrW(panel, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    Add(Panel1, panel);
    Add(ButStart,
        MakeChild(panel, ButStart, L"BUTTON", L"START UPDATE", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                  Place(8, 8, 241, 25), buttonFont_.Get()));
    Add(ButExit, MakeChild(panel, ButExit, L"BUTTON", L"EXIT", BS_PUSHBUTTON | WS_TABSTOP,
                           Place(264, 8, 75, 25), buttonFont_.Get()));

    sBar_ = std::make_unique<win32::TStatusBar>(handle_);
    sBar_->setSizeGrip(false);
    sBar_->setFont(win32::PixelFont("Tahoma", 11));
    sBar_->AddPanel()->setWidth(250);
    sBar_->AddPanel()->setWidth(50);
    Add(sBar, sBar_->Handle());
    pBar_ = std::make_unique<win32::TGradientProgress>(handle_, 0, 0, 94, 15);
    pBar_->setSolid(true);
    pBar_->setStartColor(paint::clGreen);
    pBar_->setEndColor(paint::clLime);
    sBar_->Panel(1)->setControl(pBar_->Handle());
    Add(pBar, pBar_->Handle());
}

void TMain::Show() {
    placementWindow_.ApplyPosition();
    if (placementWindow_.Events().OnShow)
        placementWindow_.Events().OnShow();
    ShowWindow(handle_, placementWindow_.ShowCommand());
    UpdateWindow(handle_);
}

int TMain::Run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        Deliver(message);
    return static_cast<int>(message.wParam);
}

void TMain::Deliver(MSG& message) {
    // Errors that reach a loop (a scan the controller runs from its notification window) are shown and the
    // loop goes on, so an upload that processes messages meanwhile still runs to its end.
    try {
        // Tab and the arrow keys move between the controls.
        if (IsDialogMessageW(handle_, &message))
            return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

LRESULT CALLBACK TMain::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->handle_ == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT TMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (!behaviour_)
            break;
        if (LOWORD(wParam) == ButStart && HIWORD(wParam) == BN_CLICKED)
            behaviour_->ButStartClick();
        else if (LOWORD(wParam) == ButExit && HIWORD(wParam) == BN_CLICKED)
            behaviour_->ButExitClick();
        else if (LOWORD(wParam) == cbDevices && HIWORD(wParam) == CBN_SELCHANGE)
            behaviour_->cbDevicesSelect();
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
        if (behaviour_ && behaviour_->CloseQuery())
            DestroyWindow(handle_);
        return 0;
    case WM_QUERYENDSESSION:
        // Logging off waits for an upload as the close box does; otherwise the window closes as asked.
        return behaviour_ && behaviour_->CloseQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wParam)
            DestroyWindow(handle_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (sBar_)
            SendMessageW(sBar_->Handle(), WM_SIZE, wParam, lParam);
        break;
    case kDispatchedMessage:
        RunDispatched();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT TMain::ControlColour(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (GetParent(control) == Control(Panel1)) {
        SetBkColor(dc, kPanelColour);
        return reinterpret_cast<LRESULT>(PanelBrush());
    }
    const bool value = id == LabBiosVersion || id == LabBiosInfo || id == LabSDBios;
    SetTextColor(dc, value ? kMaroon : kNavy);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void TMain::RunDispatched() {
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(dispatchedMutex_);
            if (dispatched_.empty())
                return;
            call = std::move(dispatched_.front());
            dispatched_.pop_front();
        }
        call();
    }
}

void TMain::SetTitle(const std::string& title) {
    // The caption is also the task bar's text.
    SetWindowTextW(handle_, win32::ToUtf16(title).c_str());
}

void TMain::Close() {
    SendMessageW(handle_, WM_CLOSE, 0, 0);
}

void TMain::ShowDebugWindow() {
    if (debug_)
        debug_->Show();
}

void TMain::ShowError(const std::string& text) {
    MessageBoxW(handle_, win32::ToUtf16(text).c_str(), WindowTitle(handle_).c_str(), MB_OK | MB_ICONERROR);
}

void TMain::SetText(window::Field field, const std::string& text) {
    switch (field) {
    case window::Field::BiosVersion:
        SetWindowTextW(Control(LabBiosVersion), win32::ToUtf16(text).c_str());
        break;
    case window::Field::BiosInfo:
        SetWindowTextW(Control(LabBiosInfo), win32::ToUtf16(text).c_str());
        break;
    case window::Field::DeviceBios:
        SetWindowTextW(Control(LabSDBios), win32::ToUtf16(text).c_str());
        break;
    case window::Field::UsbSerial:
        edUsbSerial_->SetText(text);
        break;
    }
}

std::string TMain::UsbSerialText() {
    return edUsbSerial_->Shown();
}

void TMain::ClearEntries() {
    SendMessageW(Control(cbDevices), CB_RESETCONTENT, 0, 0);
}

// Serial texts are UTF-8 from the device to the list.
void TMain::AddEntry(const std::string& text) {
    SendMessageW(Control(cbDevices), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::ToUtf16(text).c_str()));
}

void TMain::SelectEntry(int index) {
    SendMessageW(Control(cbDevices), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TMain::SelectedEntry() {
    return static_cast<int>(SendMessageW(Control(cbDevices), CB_GETCURSEL, 0, 0));
}

void TMain::SetLamp(window::Lamp lamp) {
    if (const auto colour = window::LampOnColour(lamp))
        Led_->setColorOn(paint::TColor::FromNumber(*colour));
    Led_->setStatus(lamp != window::Lamp::Off);
}

void TMain::SetStatusText(const std::string& text) {
    sBar_->Panel(0)->setText(text);
}

void TMain::SetStatusHint(const std::string& text) {
    sBar_->setHint(text);
}

void TMain::SetProgressMax(int maximum) {
    pBar_->setMaximum(maximum);
}

void TMain::SetProgressPosition(int position) {
    pBar_->setPosition(position);
}

void TMain::SetEnabled(window::Control control, bool enabled) {
    switch (control) {
    case window::Control::Start:
        EnableWindow(Control(ButStart), enabled);
        break;
    case window::Control::Exit:
        EnableWindow(Control(ButExit), enabled);
        break;
    case window::Control::DeviceList:
        EnableWindow(Control(cbDevices), enabled);
        break;
    }
}

void TMain::FocusStart() {
    SetFocus(Control(ButStart));
}

void TMain::Beep() {
    MessageBeep(MB_ICONHAND);
}

bool TMain::CtrlHeld() {
    return GetKeyState(VK_CONTROL) < 0;
}

void TMain::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // The loop that ends is the outer one: the quit goes back for it.
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Deliver(message);
    }
}

void TMain::WatchNotifications(int /*fd*/) {
    // The Windows backends call back from their own window's messages: nothing to watch.
}

void TMain::SetNotificationsWatched(bool /*watched*/) {
    // The controller drops what arrives during its own scan.
}

void TMain::Dispatch(std::function<void()> call) {
    {
        std::lock_guard lock(dispatchedMutex_);
        dispatched_.push_back(std::move(call));
    }
    PostMessageW(handle_, kDispatchedMessage, 0, 0);
}

} // namespace miran::winapp
