#include "PipeListener.h"

#include <iterator>
#include <vector>

namespace miran::rig {

namespace {

// Instances waiting for a client at any time: a client that opens the path while another has just been
// admitted still finds one.
constexpr int kListening = 2;

} // namespace

// One pipe instance: waiting for a client, then waiting for that client to close its end.
struct PipeListener::Instance {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    bool connected = false;
    char byte = 0;

    Instance() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Instance() {
        if (pipe != INVALID_HANDLE_VALUE) {
            DWORD moved = 0;
            CancelIoEx(pipe, &overlapped);
            GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
            CloseHandle(pipe);
        }
        CloseHandle(overlapped.hEvent);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // The client's close ends this read with a broken pipe.
    bool WatchClient() {
        connected = true;
        return ReadFile(pipe, &byte, 1, nullptr, &overlapped) || GetLastError() == ERROR_IO_PENDING;
    }
};

PipeListener::PipeListener(std::string path, bool readWrite)
    : path_(std::move(path)), readWrite_(readWrite), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    for (int i = 0; i < kListening; ++i)
        Listen();
    thread_ = std::thread([this] { Serve(); });
}

PipeListener::~PipeListener() {
    SetEvent(stop_);
    thread_.join();
    instances_.clear();
    CloseHandle(stop_);
}

void PipeListener::Listen() {
    Instance& instance = instances_.emplace_back();
    instance.pipe = CreateNamedPipeA(
        path_.c_str(), (readWrite_ ? PIPE_ACCESS_DUPLEX : PIPE_ACCESS_INBOUND) | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    if (instance.pipe == INVALID_HANDLE_VALUE) {
        instances_.pop_back();
        return;
    }
    if (!ConnectNamedPipe(instance.pipe, &instance.overlapped) && GetLastError() == ERROR_PIPE_CONNECTED)
        SetEvent(instance.overlapped.hEvent); // a client came before the wait began
}

void PipeListener::Serve() {
    for (;;) {
        std::vector<HANDLE> events = {stop_};
        for (Instance& instance : instances_)
            events.push_back(instance.overlapped.hEvent);
        const DWORD signalled =
            WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 || signalled >= WAIT_OBJECT_0 + events.size())
            return;
        auto instance = std::next(instances_.begin(), signalled - WAIT_OBJECT_0 - 1);
        ResetEvent(instance->overlapped.hEvent);
        if (instance->connected) {
            instances_.erase(instance);
            continue;
        }
        Listen();
        if (!instance->WatchClient())
            instances_.erase(instance);
    }
}

} // namespace miran::rig
