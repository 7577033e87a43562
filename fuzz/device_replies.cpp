// The device's replies as identification and upload read them: a scripted programmer answers every transfer
// from the input. An engine that already served another programmer must treat the scripted one exactly as a
// fresh engine does: same result, same bytes written.
#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/UpdateEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

using namespace miran;

namespace {

// Each transfer takes one control byte (odd: the transfer fails); a Get that succeeds then takes as many
// bytes as the report holds, zeros past the end of the input. Past the end of the input every transfer fails.
class ScriptedProgrammer : public hid::VirtualHidEndpoint {
public:
    explicit ScriptedProgrammer(std::span<const std::uint8_t> script) : script_(script) {}

    bool GetFeature(std::uint8_t* buffer, std::size_t length) override {
        if (!Succeeds())
            return false;
        const std::size_t n = std::min(length, script_.size());
        std::copy_n(script_.begin(), n, buffer);
        std::fill(buffer + n, buffer + length, 0);
        script_ = script_.subspan(n);
        return true;
    }
    bool SetFeature(const std::uint8_t* buffer, std::size_t length) override {
        written.emplace_back(buffer, buffer + length);
        return Succeeds();
    }

    std::vector<std::vector<std::uint8_t>> written;

private:
    bool Succeeds() {
        if (script_.empty())
            return false;
        const bool ok = (script_.front() & 1) == 0;
        script_ = script_.subspan(1);
        return ok;
    }

    std::span<const std::uint8_t> script_;
};

class QuietObserver : public update::UpdateObserver {
public:
    void SetStatusText(const std::string& text) override { status = text; }
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessMessages() override {}
    void Beep() override {}
    void Sleep(std::chrono::milliseconds) override {}
    bool CtrlHeld() override { return false; }
    std::string UsbSerialText() override { return "0000000000000"; }

    std::string status;
};

struct Outcome {
    update::IdentifyResult identify;
    update::UploadResult upload;
    std::string status;
    std::vector<std::vector<std::uint8_t>> written;
};

// Identifies the one programmer plugged into platform with engine and, when that succeeds, writes the image.
void Serve(update::UpdateEngine& engine, std::shared_ptr<hid::VirtualHidPlatform> platform,
           Outcome& outcome) {
    hid::THidDeviceController controller(std::move(platform));
    controller.HandleNotification();
    hid::THidDevice* device = nullptr;
    if (!controller.AcquireDeviceAt(device, 0))
        std::abort();
    engine.Channel().SetCurrentDevice(device);
    outcome.identify = engine.IdentifyDevice();
    if (outcome.identify.ok)
        outcome.upload = engine.StartUpdate();
    engine.Channel().SetCurrentDevice(nullptr);
    controller.ReleaseDevice(device);
}

Outcome RunScript(update::UpdateEngine& engine, QuietObserver& observer,
                  std::span<const std::uint8_t> script) {
    auto programmer = std::make_shared<ScriptedProgrammer>(script);
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    hid::VirtualInterface vi;
    vi.attributes = {update::kProgrammerVendorId, update::kProgrammerProductId, 0x0100};
    vi.serial = "PM0000000009";
    vi.endpoint = programmer;
    platform->Plug(std::move(vi));
    Outcome outcome;
    Serve(engine, platform, outcome);
    outcome.status = observer.status;
    outcome.written = programmer->written;
    return outcome;
}

void Expect(bool same, const char* what) {
    if (!same) {
        std::fprintf(stderr, "an engine that served another programmer differs from a fresh one in %s\n",
                     what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const update::FirmwareImage image = update::FirmwareImage::OpenResource();
    const std::span<const std::uint8_t> script(data, size);

    QuietObserver freshObserver;
    update::UpdateEngine fresh(image, freshObserver);
    const Outcome expected = RunScript(fresh, freshObserver, script);

    // The window keeps one engine while programmers come and go.
    QuietObserver usedObserver;
    update::UpdateEngine used(image, usedObserver);
    {
        auto platform = std::make_shared<hid::VirtualHidPlatform>();
        sim::SimulatedBus bus(platform);
        Outcome healthy;
        bus.PlugProgrammer(sim::DefaultProgrammer(0));
        Serve(used, platform, healthy);
        if (!healthy.upload.ok) {
            std::fprintf(stderr, "the healthy programmer was not updated: %s\n",
                         healthy.upload.message.c_str());
            std::abort();
        }
    }
    usedObserver.status.clear();
    const Outcome actual = RunScript(used, usedObserver, script);

    Expect(actual.identify.ok == expected.identify.ok, "the identification's outcome");
    Expect(actual.identify.biosCaption == expected.identify.biosCaption, "the Bios caption");
    Expect(actual.identify.usbSerial == expected.identify.usbSerial, "the USB serial shown");
    Expect(actual.upload.ok == expected.upload.ok && actual.upload.message == expected.upload.message &&
               actual.upload.closingSent == expected.upload.closingSent,
           "the upload's outcome");
    Expect(actual.status == expected.status, "the status text");
    Expect(actual.written == expected.written, "the bytes written to the programmer");
    return 0;
}
