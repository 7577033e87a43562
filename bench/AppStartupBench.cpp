// Start-up of the main window to the end of its first device scan, against the start-up of a bare Qt window,
// of one with a label, and of a stock Qt window with the same controls, fonts and texts and no behaviour
// (what is left is our own cost: the widgets, the settings, the HID scan, identification); wake-ups per
// second while idle with no device; peak memory. Each measurement runs in a fresh process.

#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
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
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
            line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
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

QFont BoldFont(const char* family) {
    QFont font(family);
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QLabel* Label(QWidget* parent, const char* text, QRect geometry, const QColor& colour) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(BoldFont("Tahoma"));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

// The main window's layout in stock Qt controls, with what it shows after the first scan and no behaviour.
int RunStock(int argc, char** argv) {
    auto start = Clock::now();
    QApplication application(argc, argv);
    const QColor navy(0, 0, 128);
    const QColor maroon(128, 0, 0);
    QWidget window;
    window.setWindowTitle("MIRAN POLY-MCU Bios-Update v1.9.0");
    window.setFixedSize(349, 224);
    QFont base("MS Sans Serif");
    base.setPointSize(8);
    window.setFont(base);

    auto* version = new QGroupBox("[ BIOS VERSION INFO ]", &window);
    version->setGeometry(0, 4, 349, 61);
    version->setFont(BoldFont("Tahoma"));
    Label(version, "Bios-Version:", {8, 16, 81, 16}, navy)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label(version, "v1.9.0", {96, 16, 89, 16}, maroon);
    Label(version, "Bios-Info:", {8, 32, 81, 16}, navy)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label(version, "MIRAN-ISP v1.9.0", {96, 34, 153, 16}, maroon)->setWordWrap(true);

    auto* device = new QGroupBox(&window);
    device->setGeometry(0, 67, 349, 94);
    Label(device, "Device-Serial Number", {8, 6, 121, 16}, navy);
    auto* list = new QComboBox(device);
    list->setGeometry(8, 22, 145, 22);
    list->addItem("PM0000000001");
    auto* lamp = new QLabel(device);
    lamp->setGeometry(160, 25, 17, 17);
    lamp->setAutoFillBackground(true);
    QPalette lampPalette = lamp->palette();
    lampPalette.setColor(QPalette::Window, Qt::green);
    lamp->setPalette(lampPalette);
    Label(device, "Bios-Version:", {200, 25, 81, 16}, navy)->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label(device, "v1.8.2", {288, 25, 49, 16}, maroon);
    Label(device, "USB-Serial Number", {8, 48, 121, 16}, navy);
    auto* serial = new QLineEdit(device);
    serial->setGeometry(8, 64, 125, 22);
    serial->setInputMask("000000000000000;_");
    serial->setText("4711000000001");
    auto* markup = new QLabel("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio", device);
    markup->setGeometry(144, 60, 171, 27);

    auto* panel = new QFrame(&window);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(0, 224 - 19 - 41, 349, 41);
    auto* startButton = new QPushButton("START UPDATE", panel);
    startButton->setGeometry(8, 8, 241, 25);
    startButton->setFont(BoldFont("Verdana"));
    auto* exitButton = new QPushButton("EXIT", panel);
    exitButton->setGeometry(264, 8, 75, 25);
    exitButton->setFont(BoldFont("Verdana"));

    auto* status = new QStatusBar(&window);
    status->setGeometry(0, 205, 349, 19);
    status->setSizeGripEnabled(false);
    QFont barFont("Tahoma");
    barFont.setPixelSize(11);
    status->setFont(barFont);
    auto* statusText = new QLabel(status);
    statusText->setFixedWidth(250);
    status->addWidget(statusText);
    auto* progress = new QProgressBar(status);
    progress->setFixedSize(94, 15);
    status->addWidget(progress);

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
        if (mode == "stock")
            return RunStock(argc, argv);
        if (mode == "main" || mode == "idle")
            return RunMain(argc, argv, mode == "idle");
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<double> bare;
    std::vector<double> text;
    std::vector<double> stock;
    std::vector<double> main;
    for (int run = 0; run < 7; ++run) {
        bare.push_back(Child(argv[0], "bare"));
        text.push_back(Child(argv[0], "text"));
        stock.push_back(Child(argv[0], "stock"));
        main.push_back(Child(argv[0], "main"));
    }
    std::printf("start-up to first scan: %.1f ms\n", Median(main));
    std::printf("  bare window %.1f ms: ratio %.2f\n", Median(bare), Median(main) / Median(bare));
    std::printf("  window with a line of text %.1f ms: ratio %.2f\n", Median(text),
                Median(main) / Median(text));
    std::printf("  stock window, same controls, fonts and texts %.1f ms: ratio %.2f (target <= 1.3)\n",
                Median(stock), Median(main) / Median(stock));
    std::printf("idle wake-ups: %.2f per second (target 0)\n", Child(argv[0], "idle"));
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("peak memory of a window process: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
