#pragma once

#include "TMain.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace miran::app::testing {

namespace fs = std::filesystem;

// A private config folder per test, so that the real settings are never touched.
class PrivateConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("app-test-" + std::to_string(::getpid()));
        fs::remove_all(home_);
        fs::create_directories(home_);
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ / "config").c_str(), 1);
    }
    void TearDown() override {
        if (!home_.empty())
            fs::remove_all(home_);
    }

    fs::path IniPath() const { return home_ / "config" / "MIRAN" / "MIRAN-ISP" / "Miran-ISP-Up.ini"; }
    void WriteIni(const std::string& text) {
        fs::create_directories(IniPath().parent_path());
        std::ofstream(IniPath(), std::ios::binary) << text;
    }
    std::string ReadIni() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path home_;
};

// The window over a simulated bus; its waits are recorded instead of slept.
class WindowTest : public PrivateConfigTest {
protected:
    void TearDown() override {
        main_.reset();
        PrivateConfigTest::TearDown();
    }

    std::shared_ptr<sim::VirtualProgrammer> Plug(int index) {
        return bus_.PlugProgrammer(sim::DefaultProgrammer(index));
    }

    TMain& Start(std::vector<std::string> arguments = {}) {
        MainEnvironment env{platform_,
                            std::move(arguments),
                            "/nonexistent/miran-isp-up",
                            [this] { return builderWindow_; },
                            [this](std::chrono::milliseconds d) {
                                sleeps_.push_back(static_cast<int>(d.count()));
                                if (onSleep_)
                                    onSleep_(static_cast<int>(d.count()));
                            },
                            ""};
        main_ = std::make_unique<TMain>(std::move(env));
        main_->show();
        Settle();
        return *main_;
    }

    // Runs the event loop until no device notification is left.
    void Settle() {
        QElapsedTimer timer;
        timer.start();
        do {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        } while (timer.elapsed() < 150);
    }

    QStringList Entries() const {
        QStringList entries;
        for (int i = 0; i < main_->cbDevices->count(); ++i)
            entries << main_->cbDevices->itemText(i);
        return entries;
    }

    std::shared_ptr<hid::VirtualHidPlatform> platform_ = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus_{platform_};
    std::unique_ptr<TMain> main_;
    bool builderWindow_ = false;
    std::vector<int> sleeps_;
    std::function<void(int)> onSleep_;
};

} // namespace miran::app::testing
