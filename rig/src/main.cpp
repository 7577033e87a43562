// miran-uhid-programmer: virtual programmers as real kernel HID devices, through /dev/uhid.
//
//   miran-uhid-programmer [--simulate FILE] [--other SERIAL] [--plug-after SECONDS] [--reboot-time MS]
//
// --simulate FILE   the programmers, in the command line's simulation format (default: one healthy one)
// --other SERIAL    also plugs a HID device of the same vendor that is no programmer
// --plug-after S    plugs the programmers S seconds after the start (the other device comes at once)
// --reboot-time MS  how long a programmer is away after its closing command (default 500)
//
// Runs until SIGTERM or SIGINT, then unplugs everything. Every device event goes to stdout, one per line.
// Exits 1 when a device failed.
#include "KernelHidDevice.h"
#include "core/UniqueFd.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "sim/VirtualProgrammer.h"
#include "update/Protocol.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <exception>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

using namespace miran;
using rig::KernelHidDevice;

struct Options {
    std::vector<sim::ProgrammerConfig> programmers{sim::DefaultProgrammer(0)};
    std::optional<std::string> otherSerial;
    std::chrono::milliseconds plugAfter{0};
    std::chrono::milliseconds rebootTime{500};
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            throw std::invalid_argument("unknown option or missing value: " + arg);
        const std::string value = argv[++i];
        if (arg == "--simulate")
            options.programmers = sim::LoadSimulationFile(value);
        else if (arg == "--other")
            options.otherSerial = value;
        else if (arg == "--plug-after")
            options.plugAfter = std::chrono::milliseconds(static_cast<long long>(std::stod(value) * 1000));
        else if (arg == "--reboot-time")
            options.rebootTime = std::chrono::milliseconds(std::stoll(value));
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    return options;
}

const std::vector<rig::FeatureReport> kProgrammerReports = {
    {update::kReportData, update::kDataReportSize},
    {update::kReportCommand, update::kCommandReportSize},
    {update::kReportStatus, update::kStatusReportSize}};
constexpr std::uint16_t kOtherProductId = 0x05DF;

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

int Run(const Options& options) {
    const sigset_t stopSignals = StopSignals();
    // Before any thread starts, so that they all inherit it: only sigwait takes them.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    rig::EventLog log;
    std::vector<std::unique_ptr<KernelHidDevice>> devices;
    const auto start = KernelHidDevice::Clock::now();

    // Kept alive by the devices that serve them.
    for (const sim::ProgrammerConfig& config : options.programmers) {
        auto programmer = std::make_shared<sim::VirtualProgrammer>(config);
        const rig::UhidIdentity identity{.name = "MIRAN POLY-MCU ISP",
                                         .serial = config.serial,
                                         .vendorId = update::kProgrammerVendorId,
                                         .productId = update::kProgrammerProductId};
        auto& device = *devices.emplace_back(
            std::make_unique<KernelHidDevice>(identity, kProgrammerReports, programmer, log));
        programmer->onVanish = [&device] { device.Vanish(); };
        programmer->onReboot = [&device, &options] { device.Reboot(options.rebootTime); };
        device.PlugAt(start + options.plugAfter);
    }
    if (options.otherSerial) {
        const rig::UhidIdentity identity{.name = "Other HID device",
                                         .serial = *options.otherSerial,
                                         .vendorId = update::kProgrammerVendorId,
                                         .productId = kOtherProductId};
        devices
            .emplace_back(std::make_unique<KernelHidDevice>(identity, std::vector<rig::FeatureReport>{{1, 9}},
                                                            nullptr, log))
            ->PlugAt(start);
    }

    const UniqueFd stopFd = CheckedFd(eventfd(0, EFD_CLOEXEC), "eventfd");
    const int stop = stopFd.Get();
    std::atomic<bool> failed = false;
    {
        std::vector<std::jthread> threads;
        for (auto& device : devices) {
            threads.emplace_back([&device, stop, &failed] {
                try {
                    device->Run(stop);
                } catch (const std::exception& error) {
                    std::cerr << "miran-uhid-programmer: " << error.what() << std::endl;
                    failed = true;
                }
            });
        }
        int received = 0;
        sigwait(&stopSignals, &received);
        eventfd_write(stop, 1);
    }
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << "miran-uhid-programmer: " << error.what() << '\n';
        return 1;
    }
}
