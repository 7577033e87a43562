#include "PipeListener.h"

#include <vector>

namespace miran::rig {

namespace {

// Instances per path, as many as one wait can watch besides the stop event. Each open takes one until this
// listener's thread sees the client close; a scan opens a path several times in a row, faster than that
// thread may run.
constexpr int kInstances = MAXIMUM_WAIT_OBJECTS - 1;

} // namespace

// One pipe instance: waiting for a client, then waiting for that client to close its end, then again.
struct PipeListener::Instance {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    bool pending = false; // an operation on overlapped has not completed yet
    bool connected = false;
    char byte = 0;

    Instance() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
    ~Instance() {
        if (pending) {
            DWORD moved = 0;
            CancelIoEx(pipe, &overlapped);
            GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
        }
        if (pipe != INVALID_HANDLE_VALUE)
            CloseHandle(pipe);
        CloseHandle(overlapped.hEvent);
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // Its event is signalled when a client has come.
    void Listen() {
        connected = false;
        if (Started(ConnectNamedPipe(pipe, &overlapped)))
            return;
        if (GetLastError() == ERROR_PIPE_CONNECTED)
            SetEvent(overlapped.hEvent); // a client came before the wait began
        else if (GetLastError() == ERROR_NO_DATA && DisconnectNamedPipe(pipe))
            Listen(); // a client came and went before the wait began
    }

    // Its event is signalled when the client has closed its end: the read ends with a broken pipe.
    void WatchClient() {
        connected = true;
        if (!Started(ReadFile(pipe, &byte, 1, nullptr, &overlapped)))
            SetEvent(overlapped.hEvent);
    }

    // False when the operation failed at once; a pending one signals the event when it completes.
    bool Started(BOOL done) {
        pending = !done && GetLastError() == ERROR_IO_PENDING;
        return done || pending;
    }
};

PipeListener::PipeListener(std::string path, bool readWrite)
    : path_(std::move(path)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    const DWORD direction = readWrite ? PIPE_ACCESS_DUPLEX : PIPE_ACCESS_INBOUND;
    for (int i = 0; i < kInstances; ++i) {
        Instance& instance = instances_.emplace_back();
        instance.pipe =
            CreateNamedPipeA(path_.c_str(), direction | FILE_FLAG_OVERLAPPED, PIPE_TYPE_BYTE | PIPE_WAIT,
                             PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
        if (instance.pipe == INVALID_HANDLE_VALUE)
            instances_.pop_back();
    }
    thread_ = std::thread([this] { Serve(); });
}

PipeListener::~PipeListener() {
    SetEvent(stop_);
    thread_.join();
    instances_.clear();
    CloseHandle(stop_);
}

void PipeListener::Serve() {
    // Windows cancels a thread's pending operations when it ends: they are all started here. Until then a
    // new instance already admits a client.
    std::vector<HANDLE> events = {stop_};
    std::vector<Instance*> byEvent = {nullptr};
    for (Instance& instance : instances_) {
        instance.Listen();
        events.push_back(instance.overlapped.hEvent);
        byEvent.push_back(&instance);
    }
    for (;;) {
        const DWORD signalled =
            WaitForMultipleObjects(static_cast<DWORD>(events.size()), events.data(), FALSE, INFINITE);
        if (signalled == WAIT_OBJECT_0 || signalled >= WAIT_OBJECT_0 + events.size())
            return;
        Instance& instance = *byEvent[signalled - WAIT_OBJECT_0];
        ResetEvent(instance.overlapped.hEvent);
        instance.pending = false;
        if (!instance.connected) {
            instance.WatchClient();
        } else {
            DisconnectNamedPipe(instance.pipe);
            instance.Listen();
        }
    }
}

} // namespace miran::rig
