// Update and identification time on a zero-latency virtual programmer. The upload's own cost is what it
// adds to the waits the device protocol mandates (17 x 25 ms + 100 ms for the shipped image).

#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "update/UpdateEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace miran;
using Clock = std::chrono::steady_clock;

namespace {

class RealTimeObserver : public update::UpdateObserver {
public:
    void SetStatusText(const std::string&) override {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int) override {}
    void ProcessMessages() override {}
    void Beep() override {}
    void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
    bool CtrlHeld() override { return false; }
    std::string UsbSerialText() override { return "1234567890123"; }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    const update::FirmwareImage image = update::FirmwareImage::OpenResource();
    const int blocks = static_cast<int>(
        (image.EndAddress() - update::kStartAddress + update::kBlockSize - 1) / update::kBlockSize);
    const double mandatedMs =
        std::chrono::duration<double, std::milli>(blocks * update::kBlockWait + update::kAfterUploadWait)
            .count();

    std::vector<double> identifyUs;
    std::vector<double> updateMs;
    for (int run = 0; run < 7; ++run) {
        auto platform = std::make_shared<hid::VirtualHidPlatform>();
        sim::SimulatedBus bus(platform);
        bus.PlugProgrammer(sim::DefaultProgrammer(0));
        hid::THidDeviceController controller(platform);
        controller.HandleNotification();
        hid::THidDevice* device = nullptr;
        controller.AcquireDeviceAt(device, 0);

        RealTimeObserver observer;
        update::UpdateEngine engine(image, observer);
        engine.Channel().SetCurrentDevice(device);

        auto start = Clock::now();
        bool identified = engine.IdentifyDevice().ok;
        auto identifiedAt = Clock::now();
        bool updated = engine.StartUpdate().ok;
        auto end = Clock::now();
        if (!identified || !updated) {
            std::fprintf(stderr, "run %d failed\n", run);
            return 1;
        }
        identifyUs.push_back(std::chrono::duration<double, std::micro>(identifiedAt - start).count());
        updateMs.push_back(std::chrono::duration<double, std::milli>(end - identifiedAt).count());
        controller.ReleaseDevice(device);
    }

    const double update = Median(updateMs);
    std::printf("identification: %.1f us (median of %zu)\n", Median(identifyUs), identifyUs.size());
    std::printf("update: %.2f ms, mandated waits %.0f ms, ratio %.4f (target <= 1.02)\n", update, mandatedMs,
                update / mandatedMs);
    return 0;
}
