#include "WindowsHidHandle.h"

#include "HidLibrary.h"
#include "SerialString.h"
#include "Utf16.h"

#include <algorithm>

namespace miran::hid::windows_backend {

namespace {

// The records HID.dll fills have these sizes: strings 508 bytes, attributes 12, capabilities 64.
static_assert(sizeof(StringUnits) == 508 && sizeof(HIDD_ATTRIBUTES) == 12 && sizeof(HIDP_CAPS) == 64);

} // namespace

WindowsHidHandle::WindowsHidHandle(HANDLE handle) : handle_(handle) {}

WindowsHidHandle::~WindowsHidHandle() {
    if (reading_)
        CancelRead();
    CloseHandle(handle_);
    // The system writes into the buffer until the read has completed, cancelled or not.
    while (reading_)
        SleepEx(INFINITE, TRUE);
}

bool WindowsHidHandle::GetAttributes(HidAttributes& attributes) {
    HIDD_ATTRIBUTES read{};
    read.Size = sizeof read;
    if (!Hid().HidD_GetAttributes(handle_, &read))
        return false;
    attributes = {read.VendorID, read.ProductID, read.VersionNumber};
    return true;
}

bool WindowsHidHandle::GetFeature(std::uint8_t* buffer, std::size_t length) {
    return Hid().HidD_GetFeature(handle_, buffer, static_cast<ULONG>(length));
}

bool WindowsHidHandle::SetFeature(const std::uint8_t* buffer, std::size_t length) {
    // HID.dll only reads the buffer.
    return Hid().HidD_SetFeature(handle_, const_cast<std::uint8_t*>(buffer), static_cast<ULONG>(length));
}

bool WindowsHidHandle::GetSerialNumberString(std::string& serial) {
    StringUnits read{};
    if (!Hid().HidD_GetSerialNumberString(handle_, read.data(), sizeof read))
        return false;
    StringUnits languages;
    languages.fill(0xFFFF);
    Hid().HidD_GetIndexedString(handle_, 0, languages.data(), sizeof languages);
    const std::u16string usable = UsableSerial(read, languages);
    if (usable.empty())
        return false;
    serial = Utf8FromUtf16(usable);
    return true;
}

std::uint16_t WindowsHidHandle::InputReportLength() {
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!Hid().HidD_GetPreparsedData(handle_, &preparsed))
        return 0;
    HIDP_CAPS caps{};
    Hid().HidP_GetCaps(preparsed, &caps);
    Hid().HidD_FreePreparsedData(preparsed);
    return caps.InputReportByteLength;
}

HidInputRead WindowsHidHandle::ReadInputReport(std::uint8_t* buffer, std::size_t length,
                                               std::chrono::milliseconds wait) {
    if (!reading_) {
        readBuffer_.assign(length, 0);
        read_ = OVERLAPPED{};
        read_.hEvent = this;
        if (!ReadFileEx(handle_, readBuffer_.data(), static_cast<DWORD>(length), &read_, ReadCompleted))
            return {HidInputRead::Status::Error, 0, GetLastError()};
        reading_ = true;
    }
    if (SleepEx(static_cast<DWORD>(wait.count()), TRUE) != WAIT_IO_COMPLETION || reading_)
        return {};
    DWORD bytes = 0;
    if (!GetOverlappedResult(handle_, &read_, &bytes, FALSE))
        return {HidInputRead::Status::Error, 0, GetLastError()};
    if (bytes == 0)
        return {};
    const std::size_t copied = std::min<std::size_t>({bytes, length, readBuffer_.size()});
    std::copy_n(readBuffer_.begin(), copied, buffer);
    return {HidInputRead::Status::Report, copied, 0};
}

void CALLBACK WindowsHidHandle::ReadCompleted(DWORD, DWORD, LPOVERLAPPED overlapped) {
    static_cast<WindowsHidHandle*>(overlapped->hEvent)->reading_ = false;
}

bool WindowsHidHandle::CancelRead() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC address = kernel ? GetProcAddress(kernel, "CancelIo") : nullptr;
    if (!address)
        return false;
    auto cancelIo = reinterpret_cast<decltype(&::CancelIo)>(reinterpret_cast<void (*)()>(address));
    return cancelIo(handle_);
}

} // namespace miran::hid::windows_backend
