#include "sim/SimulatedBus.h"

#include <condition_variable>

namespace miran::sim {

SimulatedBus::SimulatedBus(std::shared_ptr<hid::VirtualHidPlatform> platform)
    : platform_(std::move(platform)) {}

std::shared_ptr<VirtualProgrammer> SimulatedBus::PlugProgrammer(ProgrammerConfig config) {
    Slot* slot;
    {
        std::lock_guard lock(mutex_);
        slot = &slots_.emplace_back();
    }
    slot->programmer = std::make_shared<VirtualProgrammer>(std::move(config));
    slot->programmer->onReboot = [this, slot] {
        platform_->Unplug(slot->id);
        PlugSlot(*slot);
    };
    slot->programmer->onVanish = [this, slot] {
        platform_->Unplug(slot->id);
        slot->id = -1;
    };
    const std::chrono::milliseconds delay = slot->programmer->Config().plugAfter;
    if (delay.count() == 0) {
        PlugSlot(*slot);
    } else {
        delayedPlugs_.emplace_back([this, slot, delay](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any never;
            std::unique_lock lock(mutex);
            never.wait_for(lock, stop, delay, [] { return false; });
            if (!stop.stop_requested())
                PlugSlot(*slot);
        });
    }
    return slot->programmer;
}

void SimulatedBus::PlugSlot(Slot& slot) {
    hid::VirtualInterface vi;
    vi.attributes = {update::kProgrammerVendorId, update::kProgrammerProductId, 0x0100};
    vi.serial = slot.programmer->Config().serial;
    vi.endpoint = slot.programmer;
    vi.readWriteAllowed = !slot.programmer->Config().noPermission;
    slot.id = platform_->Plug(std::move(vi));
}

int SimulatedBus::PlugOtherDevice(std::uint16_t vendorId, std::uint16_t productId, std::string serial) {
    hid::VirtualInterface vi;
    vi.attributes = {vendorId, productId, 0x0100};
    vi.serial = std::move(serial);
    return platform_->Plug(std::move(vi));
}

SimulatedBus::Slot* SimulatedBus::Find(const VirtualProgrammer& programmer) const {
    std::lock_guard lock(mutex_);
    for (const Slot& slot : slots_) {
        if (slot.programmer.get() == &programmer)
            return const_cast<Slot*>(&slot);
    }
    return nullptr;
}

void SimulatedBus::Unplug(const VirtualProgrammer& programmer) {
    if (Slot* slot = Find(programmer); slot && slot->id >= 0) {
        platform_->Unplug(slot->id);
        slot->id = -1;
    }
}

void SimulatedBus::Replug(const VirtualProgrammer& programmer) {
    if (Slot* slot = Find(programmer); slot && slot->id < 0)
        PlugSlot(*slot);
}

bool SimulatedBus::IsPlugged(const VirtualProgrammer& programmer) const {
    Slot* slot = Find(programmer);
    return slot && slot->id >= 0 && platform_->IsPlugged(slot->id);
}

} // namespace miran::sim
