#pragma once

#include <list>
#include <string>
#include <thread>
#include <windows.h>

namespace miran::rig {

// Keeps a named pipe open for clients while an interface is plugged, so that CreateFileA on the interface's
// path gives a handle the doubles can trace back to it. Several clients may hold the path at once; a client
// that closes its handle gives its instance back. Nothing travels through the pipe: the doubles answer
// in-process.
class PipeListener {
public:
    // The path can be opened once this returns. readWrite false: an inbound-only pipe, which refuses clients
    // asking for read access (access denied) and admits those asking for none.
    PipeListener(std::string path, bool readWrite);
    // Closes every instance: open client handles break, new opens find no such file.
    ~PipeListener();
    PipeListener(const PipeListener&) = delete;
    PipeListener& operator=(const PipeListener&) = delete;

private:
    struct Instance;

    void Serve();

    std::string path_;
    HANDLE stop_;
    std::list<Instance> instances_; // the thread's alone once it runs
    std::thread thread_;
};

} // namespace miran::rig
