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
#include "KernelHidDevice.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "sim/VirtualProgrammer.h"

#include <cerrno>
#include <csignal>
#include <exception>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sys/signalfd.h>
#include <system_error>
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

const std::vector<rig::FeatureReport> kProgrammerReports = {{1, 1025}, {2, 8}, {3, 5}};
constexpr std::uint16_t kOtherProductId = 0x05DF;

int SignalFd() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

int PollTimeout(const std::vector<std::unique_ptr<KernelHidDevice>>& devices) {
    int timeout = -1;
    for (const auto& device : devices) {
        if (!device->PlugDue())
            continue;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*device->PlugDue() - KernelHidDevice::Clock::now());
        int ms = static_cast<int>(std::max<long long>(left.count(), 0));
        timeout = timeout < 0 ? ms : std::min(timeout, ms);
    }
    return timeout;
}

void Run(const Options& options) {
    rig::EventLog log;
    std::vector<std::unique_ptr<KernelHidDevice>> devices;
    const auto start = KernelHidDevice::Clock::now();

    // Kept alive by the devices that serve them.
    for (const sim::ProgrammerConfig& config : options.programmers) {
        auto programmer = std::make_shared<sim::VirtualProgrammer>(config);
        rig::UhidIdentity identity{"MIRAN POLY-MCU ISP", config.serial, sim::kProgrammerVendorId,
                                   sim::kProgrammerProductId, 0x0100, {}};
        auto& device =
            *devices.emplace_back(std::make_unique<KernelHidDevice>(identity, kProgrammerReports, programmer, log));
        programmer->onVanish = [&device] { device.Vanish(); };
        programmer->onReboot = [&device, &options] { device.Reboot(options.rebootTime); };
        device.PlugAt(start + options.plugAfter);
    }
    if (options.otherSerial) {
        rig::UhidIdentity identity{"Other HID device", *options.otherSerial, sim::kProgrammerVendorId,
                                   kOtherProductId, 0x0100, {}};
        devices.emplace_back(std::make_unique<KernelHidDevice>(identity, std::vector<rig::FeatureReport>{{1, 9}},
                                                               nullptr, log))
            ->Plug();
    }

    const int signals = SignalFd();
    for (;;) {
        for (auto& device : devices) {
            if (device->PlugDue() && *device->PlugDue() <= KernelHidDevice::Clock::now())
                device->Plug();
        }
        std::vector<pollfd> fds{{signals, POLLIN, 0}};
        for (const auto& device : devices)
            fds.push_back({device->Fd(), POLLIN, 0});
        if (poll(fds.data(), fds.size(), PollTimeout(devices)) < 0 && errno != EINTR)
            throw std::system_error(errno, std::generic_category(), "poll");
        if (fds[0].revents)
            break;
        for (std::size_t i = 0; i < devices.size(); ++i) {
            if (fds[i + 1].fd >= 0 && (fds[i + 1].revents & POLLIN))
                devices[i]->Serve();
        }
    }
    for (auto& device : devices)
        device->Unplug();
    close(signals);
}

} // namespace

int main(int argc, char** argv) {
    try {
        Run(ParseOptions(argc, argv));
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "miran-uhid-programmer: " << error.what() << '\n';
        return 1;
    }
}
