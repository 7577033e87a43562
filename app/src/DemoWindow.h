#pragma once

#include "sim/SimulatedBus.h"

#include <QWidget>

#include <memory>
#include <vector>

class QVBoxLayout;

namespace miran::app {

// Demo mode only: plugs and unplugs the virtual programmers and a keyboard, so hot-plug, identification and
// update can be watched without hardware.
class DemoWindow : public QWidget {
    Q_OBJECT
public:
    DemoWindow(sim::SimulatedBus& bus, std::vector<std::shared_ptr<sim::VirtualProgrammer>> programmers,
               QWidget* parent = nullptr);

private:
    void AddProgrammerRow(const std::shared_ptr<sim::VirtualProgrammer>& programmer);
    void AddProgrammer();

    sim::SimulatedBus& bus_;
    QVBoxLayout* rows_;
    int next_ = 0;
    int keyboard_ = -1;
};

} // namespace miran::app
