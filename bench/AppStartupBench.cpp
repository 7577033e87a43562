// Start-up of the main window to the end of its first device scan, against the start-up of a bare Qt window;
// wake-ups per second while idle with no device; peak memory. Each measurement runs in a fresh process.

#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace miran;
using Clock = std::chrono::steady_clock;

namespace {

long ContextSwitches() {
    std::ifstream status("/proc/self/status");
    long total = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
            total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
}

// Child modes: each prints one number on stdout.
// A bare window, or one with a line of text: every window with text pays for loading the font database.
int RunBare(int argc, char** argv, bool withText) {
    auto start = Clock::now();
    QApplication application(argc, argv);
    QWidget window;
    window.resize(349, 224);
    if (withText)
        (new QLabel("START UPDATE", &window))->move(8, 8);
    window.show();
    QApplication::processEvents();
    std::printf("%f\n", std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    return 0;
}

int RunMain(int argc, char** argv, bool idle) {
    auto start = Clock::now();
    QApplication application(argc, argv);
    auto platform = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus(platform);
    if (!idle)
        bus.PlugProgrammer(sim::DefaultProgrammer(0));
    app::MainEnvironment env{platform, {}, "", [] { return false; }, [](std::chrono::milliseconds) {}, ""};
    app::TMain main(env);
    main.show();
    if (!idle) {
        while (main.cbDevices->count() == 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        std::printf("%f\n", std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        return 0;
    }
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    const long before = ContextSwitches();
    QTimer::singleShot(3000, &application, [&] {
        // The timer that ends the measurement accounts for one wake-up.
        std::printf("%f\n", (ContextSwitches() - before - 1) / 3.0);
        std::fflush(stdout);
        application.quit();
    });
    application.exec();
    return 0;
}

double Child(const char* self, const char* mode) {
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], STDOUT_FILENO);
        execl(self, self, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFd[1]);
    char buffer[64] = {};
    ssize_t n = read(pipeFd[0], buffer, sizeof buffer - 1);
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return n > 0 ? std::atof(buffer) : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        std::string mode = argv[1];
        if (mode == "bare" || mode == "text")
            return RunBare(argc, argv, mode == "text");
        if (mode == "main" || mode == "idle")
            return RunMain(argc, argv, mode == "idle");
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<double> bare;
    std::vector<double> text;
    std::vector<double> main;
    for (int run = 0; run < 7; ++run) {
        bare.push_back(Child(argv[0], "bare"));
        text.push_back(Child(argv[0], "text"));
        main.push_back(Child(argv[0], "main"));
    }
    std::printf("start-up to first scan: %.1f ms\n", Median(main));
    std::printf("  bare window %.1f ms: ratio %.2f (target <= 1.3)\n", Median(bare), Median(main) / Median(bare));
    std::printf("  window with a line of text %.1f ms: ratio %.2f\n", Median(text), Median(main) / Median(text));
    std::printf("idle wake-ups: %.2f per second (target 0)\n", Child(argv[0], "idle"));
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("peak memory of a window process: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
