#pragma once

#include "FakeMainView.h"
#include "FakePlacementWindow.h"
#include "hid/VirtualHidPlatform.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulationFile.h"
#include "window/MainWindow.h"

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

namespace miran::window::testing {

namespace fs = std::filesystem;

// A private config folder per test, so that the real settings are never touched.
class PrivateConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() / ("window-test-" + std::to_string(::getpid()));
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

// The window's behaviour over a simulated bus and a fake view; its waits are recorded instead of slept.
class WindowTest : public PrivateConfigTest {
protected:
    void TearDown() override {
        Stop();
        PrivateConfigTest::TearDown();
    }

    std::shared_ptr<sim::VirtualProgrammer> Plug(int index) {
        return bus_.PlugProgrammer(sim::DefaultProgrammer(index));
    }

    // Creates the window and shows it, as the front end's loop does when it starts.
    FakeMainView& Start(std::vector<std::string> arguments = {}) {
        Stop();
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
        view_ = std::make_unique<FakeMainView>();
        placement_ = std::make_unique<settings::testing::FakePlacementWindow>();
        behaviour_ = std::make_unique<MainWindow>(std::move(env), *view_, *placement_);
        view_->SetBehaviour(behaviour_.get());
        view_->visible = true;
        placement_->Show();
        Settle();
        return *view_;
    }

    void Stop() {
        behaviour_.reset();
        placement_.reset();
        view_.reset();
    }

    // Runs the loop until no device notification is left.
    void Settle() { view_->ProcessMessages(); }

    std::vector<std::string> Entries() const { return view_->cbDevices.items; }
    MainWindow& Behaviour() { return *behaviour_; }

    std::shared_ptr<hid::VirtualHidPlatform> platform_ = std::make_shared<hid::VirtualHidPlatform>();
    sim::SimulatedBus bus_{platform_};
    std::unique_ptr<FakeMainView> view_;
    std::unique_ptr<settings::testing::FakePlacementWindow> placement_;
    std::unique_ptr<MainWindow> behaviour_;
    bool builderWindow_ = false;
    std::vector<int> sleeps_;
    std::function<void(int)> onSleep_;
};

} // namespace miran::window::testing
