#include "Interruption.h"

#include <atomic>
#include <system_error>
#include <windows.h>

namespace miran::cli {

struct Interruption::Previous {};

namespace {

std::atomic<bool> gRequested{false};
std::atomic<bool> gNoticed{false};
// Made once and kept: a handler thread may still use them while an Interruption goes.
HANDLE gRequestedEvent = nullptr; // manual reset: stays set from the first request on
HANDLE gEndedEvent = nullptr;

HANDLE MakeEvent() {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEventA");
    return event;
}

// Runs on a thread of its own that the system starts.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    gRequested = true;
    SetEvent(gRequestedEvent);
    // On close, logoff and shutdown the system ends the process once this returns (or after its timeout):
    // the update under way gets that long to end.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        WaitForSingleObject(gEndedEvent, INFINITE);
    return TRUE;
}

} // namespace

Interruption::Interruption() : previous_(std::make_unique<Previous>()) {
    static const bool made = [] {
        gRequestedEvent = MakeEvent();
        gEndedEvent = MakeEvent();
        return true;
    }();
    (void)made;
    gRequested = false;
    gNoticed = false;
    ResetEvent(gRequestedEvent);
    ResetEvent(gEndedEvent);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

Interruption::~Interruption() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    SetEvent(gEndedEvent);
}

bool Interruption::Requested() const {
    return gRequested;
}

std::intptr_t Interruption::Signal() const {
    return reinterpret_cast<std::intptr_t>(gRequestedEvent);
}

bool Interruption::TakeNotice() {
    return gRequested && !gNoticed.exchange(true);
}

} // namespace miran::cli
