#pragma once

#include "PrivateConfigTest.h"
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

using window::testing::PrivateConfigTest;

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
