#pragma once

#include "hid/VirtualHidPlatform.h"
#include "sim/VirtualProgrammer.h"
#include "update/Protocol.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace miran::sim {

// Plugs virtual programmers (and other HID devices) into a virtual backend. A programmer that reboots is
// unplugged and plugged again, as a real one re-enumerates; one that vanishes stays unplugged.
class SimulatedBus {
public:
    explicit SimulatedBus(std::shared_ptr<hid::VirtualHidPlatform> platform);

    // Plugs the programmer now, or after its configured delay from a thread of the bus.
    std::shared_ptr<VirtualProgrammer> PlugProgrammer(ProgrammerConfig config);
    // A HID device that is not a programmer, such as a keyboard; returns its id on the virtual backend.
    int PlugOtherDevice(std::uint16_t vendorId, std::uint16_t productId, std::string serial);
    void Unplug(const VirtualProgrammer& programmer);
    // Plugs a programmer that was unplugged again, with its state.
    void Replug(const VirtualProgrammer& programmer);
    bool IsPlugged(const VirtualProgrammer& programmer) const;

    hid::VirtualHidPlatform& Platform() { return *platform_; }

private:
    struct Slot {
        std::shared_ptr<VirtualProgrammer> programmer;
        std::atomic<int> id{-1};
    };

    Slot* Find(const VirtualProgrammer& programmer) const;
    void PlugSlot(Slot& slot);

    std::shared_ptr<hid::VirtualHidPlatform> platform_;
    mutable std::mutex mutex_;
    std::list<Slot> slots_;
    std::vector<std::jthread> delayedPlugs_; // stopped and joined before the rest goes
};

} // namespace miran::sim
