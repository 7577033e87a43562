#include "sim/ReplayPlatform.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace miran::sim {

class ReplayPlatform::Endpoint : public hid::VirtualHidEndpoint {
public:
    Endpoint(ReplayPlatform& replay, int device) : replay_(replay), device_(device) {}

    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        return replay_.Answer(device_, buffer, length, buffer);
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        return replay_.Answer(device_, buffer, length, nullptr);
    }

private:
    ReplayPlatform& replay_;
    int device_;
};

namespace {

std::string Byte(std::uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

const char* Direction(bool get) {
    return get ? "a Get" : "a Set";
}

} // namespace

ReplayPlatform::ReplayPlatform(const std::vector<RecordedEvent>& events)
    : devices_(std::make_shared<hid::VirtualHidPlatform>()) {
    int recorded = 0;
    for (const RecordedEvent& event : events) {
        if (const auto* transfer = std::get_if<RecordedTransfer>(&event))
            transfers_[transfer->device].push_back({++recorded, *transfer});
        else if (const auto* refusal = std::get_if<RecordedRefusal>(&event))
            refusals_.emplace(refusal->device, refusal->error);
        else
            busEvents_.push_back({recorded, event});
    }
    std::lock_guard lock(mutex_);
    ApplyDueBusEvents();
}

ReplayPlatform::~ReplayPlatform() = default;

void ReplayPlatform::SetNotificationCallback(std::function<void()> pending) {
    devices_->SetNotificationCallback(std::move(pending));
}

void ReplayPlatform::Plug(const RecordedPlug& plug) {
    hid::VirtualInterface vi;
    vi.attributes = plug.attributes.value_or(hid::HidAttributes{});
    vi.attributesReadable = plug.attributes.has_value();
    vi.serial = plug.serial;
    vi.endpoint = std::make_shared<Endpoint>(*this, plug.device);
    vi.instance = plug.instance;
    if (auto refusal = refusals_.find(plug.device); refusal != refusals_.end()) {
        vi.readWriteAllowed = false;
        vi.readWriteError = refusal->second;
    }
    if (plug.openError) {
        vi.readWriteAllowed = false;
        vi.queryAllowed = false;
        vi.readWriteError = *plug.openError;
    }
    ids_[plug.device] = devices_->Plug(std::move(vi));
}

void ReplayPlatform::ApplyDueBusEvents() {
    for (; nextBusEvent_ < busEvents_.size() && busEvents_[nextBusEvent_].after <= answered_;
         ++nextBusEvent_) {
        const RecordedEvent& event = busEvents_[nextBusEvent_].event;
        if (const auto* plug = std::get_if<RecordedPlug>(&event))
            Plug(*plug);
        else if (const auto* unplug = std::get_if<RecordedUnplug>(&event))
            devices_->Unplug(ids_.at(unplug->device));
    }
}

void ReplayPlatform::Diverge(std::string message) {
    mismatch_ = "Replay: " + std::move(message);
    throw std::runtime_error(mismatch_);
}

bool ReplayPlatform::Answer(int device, const std::uint8_t* sent, std::size_t length, std::uint8_t* reply) {
    std::lock_guard lock(mutex_);
    if (!mismatch_.empty())
        throw std::runtime_error(mismatch_);
    std::deque<Numbered>& queue = transfers_[device];
    if (queue.empty())
        Diverge("transfer " + std::to_string(answered_ + 1) + " is not in the recording");
    const auto& [number, recorded] = queue.front();
    const std::string differs = "transfer " + std::to_string(number) + " differs from the recording";
    const bool get = reply != nullptr;
    if (get != recorded.get)
        Diverge(differs + ": " + Direction(get) + ", recorded " + Direction(recorded.get));
    if (length != recorded.bytes.size())
        Diverge(differs + ": " + std::to_string(length) + " bytes, recorded " +
                std::to_string(recorded.bytes.size()));
    auto differsAt = [&](std::size_t index, std::uint8_t expected) {
        Diverge(differs + " at byte " + std::to_string(index) + ": sent " + Byte(sent[index]) +
                ", recorded " + Byte(expected));
    };
    if (length > 0 && sent[0] != recorded.reportId)
        differsAt(0, recorded.reportId);
    if (!get) {
        const auto [at, expected] = std::mismatch(sent, sent + length, recorded.bytes.begin());
        if (at != sent + length)
            differsAt(static_cast<std::size_t>(at - sent), *expected);
    } else {
        std::copy(recorded.bytes.begin(), recorded.bytes.end(), reply);
    }
    const bool ok = recorded.ok;
    queue.pop_front();
    ++answered_;
    ApplyDueBusEvents();
    return ok;
}

} // namespace miran::sim
