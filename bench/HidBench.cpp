// Scan time over N virtual interfaces (should grow linearly; target under 50 ms for 1000), and the wall time
// of `update --all` over N virtual programmers divided by the time for one (target <= 1.1 for 16).

#include "cli/Cli.h"
#include "hid/HidDeviceController.h"
#include "hid/VirtualHidPlatform.h"
#include "update/Protocol.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace miran;

namespace {

std::shared_ptr<hid::VirtualHidPlatform> PlatformWith(int interfaces) {
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    for (int i = 0; i < interfaces; ++i) {
        hid::VirtualInterface vi;
        vi.attributes = {update::kProgrammerVendorId,
                         static_cast<std::uint16_t>(i % 2 ? update::kProgrammerProductId : 0x1234), 0x0100};
        vi.serial = "S" + std::to_string(i);
        platform->Plug(std::move(vi));
    }
    return platform;
}

// A rescan that finds every interface already listed: each is still opened once and then discarded.
void BM_Rescan(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    hid::THidDeviceController controller(PlatformWith(n));
    controller.DeviceChange();
    for (auto _ : state)
        controller.DeviceChange();
    state.SetComplexityN(n);
}
BENCHMARK(BM_Rescan)
    ->RangeMultiplier(10)
    ->Range(1, 1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The first scan, where every interface arrives.
void BM_FirstScan(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto platform = PlatformWith(n);
    for (auto _ : state) {
        hid::THidDeviceController controller(platform);
        controller.DeviceChange();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_FirstScan)
    ->RangeMultiplier(10)
    ->Range(1, 1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

double UpdateAllSeconds(int programmers) {
    const auto file =
        std::filesystem::temp_directory_path() / ("bench-all-" + std::to_string(::getpid()) + ".json");
    {
        std::ofstream devices(file);
        devices << R"({"devices":[)";
        for (int i = 0; i < programmers; ++i)
            devices << (i ? ",{}" : "{}");
        devices << "]}";
    }
    std::ostringstream out, err;
    cli::Environment env{out, err, false,
                         [](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }};
    auto start = std::chrono::steady_clock::now();
    int code = cli::RunCli({"--simulate=" + file.string(), "update", "--all"}, env);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(file);
    if (code != cli::kExitOk)
        throw std::runtime_error("update --all failed: " + err.str());
    return seconds;
}

void BM_UpdateAll(benchmark::State& state) {
    static const double one = UpdateAllSeconds(1);
    const int n = static_cast<int>(state.range(0));
    double total = 0;
    for (auto _ : state) {
        double seconds = UpdateAllSeconds(n);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["ratio_to_one"] = total / static_cast<double>(state.iterations()) / one;
}
BENCHMARK(BM_UpdateAll)
    ->Arg(1)
    ->Arg(4)
    ->Arg(16)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
