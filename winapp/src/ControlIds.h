#pragma once

// Child window identifiers of the main window's controls, for its own messages and for programs that drive
// it (the tests).
namespace miran::winapp {

inline constexpr const wchar_t* kMainWindowClass = L"TMain";

enum ControlId : int {
    GroupBox1 = 100,
    Label1,
    LabBiosVersion,
    Label2,
    LabBiosInfo,
    GrpBox,
    Label5,
    cbDevices,
    Led,
    Label4,
    LabSDBios,
    Label3,
    edUsbSerial,
    MarkupLabel1,
    Panel1,
    ButStart,
    ButExit,
    sBar,
    pBar,
};

} // namespace miran::winapp
