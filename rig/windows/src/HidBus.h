#pragma once

#include "PipeListener.h"
#include "sim/ProgrammerConfig.h"
#include "sim/VirtualProgrammer.h"

#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>
#include <windows.h>

extern "C" {
#include <hidsdi.h>
}

namespace miran::rig {

// One HID device as the doubles present it.
struct BusInterface {
    DWORD devInst = 0;
    std::string path; // what CreateFileA opens: a named pipe's path
    HIDD_ATTRIBUTES attributes{};
    HIDP_CAPS caps{};
    std::string serial; // empty: the device has no serial string
    bool readWriteAllowed = true;
    std::shared_ptr<sim::VirtualProgrammer> programmer; // null: it answers no feature report
    std::shared_ptr<std::mutex> transfers;              // one transfer at a time per programmer
};

// The state both doubles share: the interfaces present now. A programmer is plugged at the start (or after
// its delay), vanishes at its fault, and after its closing command goes and comes back under a new DevInst.
// Each change is announced as Windows does, with a device-node change broadcast to the top-level windows.
class HidBus {
public:
    // Made on the first call into a double, never destroyed: its threads run until the process ends.
    static HidBus& Instance();

    std::vector<BusInterface> Present() const;
    // The device a handle from CreateFileA leads to; nothing when that device has gone.
    std::optional<BusInterface> Resolve(HANDLE handle) const;

    ULONG InputBuffers(HANDLE handle) const;
    void SetInputBuffers(HANDLE handle, ULONG count);

private:
    struct Slot {
        BusInterface device; // devInst 0 while unplugged
        std::unique_ptr<PipeListener> listener;
    };

    HidBus();
    Slot& AddProgrammer(const sim::ProgrammerConfig& config);
    void Plug(Slot& slot);
    void Unplug(Slot& slot);
    void PlugLater(Slot& slot, std::chrono::milliseconds delay);

    mutable std::mutex mutex_;
    std::list<Slot> slots_;
    DWORD nextDevInst_ = 1;
    std::map<HANDLE, ULONG> inputBuffers_;
};

} // namespace miran::rig
