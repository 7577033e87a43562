#pragma once

#include "FakeMainView.h"
#include "FakePlacementWindow.h"
#include "PrivateConfigTest.h"
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
#include <vector>

namespace miran::window::testing {

namespace fs = std::filesystem;

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
