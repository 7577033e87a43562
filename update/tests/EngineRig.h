#pragma once

#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulationFile.h"
#include "sim/VirtualProgrammer.h"
#include "update/UpdateEngine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace miran::update::testing {

// One transfer as the device saw it: what arrived and, for a Get, what went back.
struct WireRecord {
    bool get;
    std::vector<std::uint8_t> arrived;
    std::vector<std::uint8_t> returned;
    bool ok;
};

// Sits between the host and the virtual programmer: records every transfer and can tamper with replies.
class WireRecorder : public hid::VirtualHidEndpoint {
public:
    explicit WireRecorder(std::shared_ptr<sim::VirtualProgrammer> device) : device_(std::move(device)) {}

    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        WireRecord record{true, {buffer, buffer + length}, {}, false};
        record.ok = device_->GetFeature(buffer, length);
        if (record.ok && tamper)
            tamper(log.size(), buffer, length);
        record.returned.assign(buffer, buffer + length);
        log.push_back(std::move(record));
        return log.back().ok;
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        log.push_back({false, {buffer, buffer + length}, {}, device_->SetFeature(buffer, length)});
        return log.back().ok;
    }

    std::vector<WireRecord> log;
    // Called with the index of the transfer (from 0) and the reply, which it may change.
    std::function<void(std::size_t, std::uint8_t*, std::size_t)> tamper;

private:
    std::shared_ptr<sim::VirtualProgrammer> device_;
};

// Records what the engine shows; waits are recorded, not slept.
class RecordingObserver : public UpdateObserver {
public:
    void SetStatusText(const std::string& text) override {
        status = text;
        events.push_back("status " + text);
    }
    void SetProgressMax(int maximum) override { events.push_back("max " + std::to_string(maximum)); }
    void SetProgressPosition(int value) override {
        position = value;
        events.push_back("pos " + std::to_string(value));
    }
    void ProcessMessages() override { events.push_back("pump"); }
    void Beep() override { events.push_back("beep"); }
    void Sleep(std::chrono::milliseconds duration) override {
        events.push_back("sleep " + std::to_string(duration.count()));
    }
    bool CtrlHeld() override { return ctrlHeld; }
    std::string UsbSerialText() override { return usbSerial; }

    std::vector<std::string> events;
    std::string status;
    int position = -1;
    bool ctrlHeld = false;
    std::string usbSerial = "0000000000000";
};

// A virtual programmer behind a recorder, found by a controller and acquired, with an engine pointed at it.
struct EngineRig {
    explicit EngineRig(sim::ProgrammerConfig config = sim::DefaultProgrammer(0))
        : programmer(std::make_shared<sim::VirtualProgrammer>(std::move(config))),
          wire(std::make_shared<WireRecorder>(programmer)), image(FirmwareImage::OpenResource()),
          engine(image, observer) {
        hid::VirtualInterface vi;
        vi.attributes = {kProgrammerVendorId, kProgrammerProductId, 0x0100};
        vi.serial = programmer->Config().serial;
        vi.endpoint = wire;
        platform->Plug(std::move(vi));
        controller.HandleNotification();
        controller.AcquireDeviceAt(device, 0);
        engine.Channel().SetCurrentDevice(device);
    }
    ~EngineRig() { controller.ReleaseDevice(device); }

    std::shared_ptr<hid::VirtualHidPlatform> platform = std::make_shared<hid::VirtualHidPlatform>();
    hid::THidDeviceController controller{platform};
    std::shared_ptr<sim::VirtualProgrammer> programmer;
    std::shared_ptr<WireRecorder> wire;
    hid::THidDevice* device = nullptr;
    FirmwareImage image;
    RecordingObserver observer;
    UpdateEngine engine;
};

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    return std::vector<std::uint8_t>(values.begin(), values.end());
}

} // namespace miran::update::testing
