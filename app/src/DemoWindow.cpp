#include "DemoWindow.h"

#include "sim/SimulationFile.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace miran::app {

DemoWindow::DemoWindow(sim::SimulatedBus& bus,
                       std::vector<std::shared_ptr<sim::VirtualProgrammer>> programmers, QWidget* parent)
    : QWidget(parent, Qt::Window), bus_(bus), rows_(new QVBoxLayout) {
    setObjectName("DemoWindow");
    setWindowTitle("Virtual programmers");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Plugged in while checked:"));
    layout->addLayout(rows_);
    for (const auto& programmer : programmers)
        AddProgrammerRow(programmer);
    next_ = static_cast<int>(programmers.size());

    auto* keyboard = new QCheckBox("Keyboard (not a programmer)");
    keyboard->setObjectName("keyboard");
    connect(keyboard, &QCheckBox::toggled, this, [this](bool plugged) {
        if (plugged)
            keyboard_ = bus_.PlugOtherDevice(0x046D, 0xC31C, "KBD-0001");
        else
            bus_.Platform().Unplug(keyboard_);
    });
    layout->addWidget(keyboard);

    auto* add = new QPushButton("Add a programmer");
    add->setObjectName("addProgrammer");
    connect(add, &QPushButton::clicked, this, [this] { AddProgrammer(); });
    layout->addWidget(add);
}

void DemoWindow::AddProgrammerRow(const std::shared_ptr<sim::VirtualProgrammer>& programmer) {
    auto* box = new QCheckBox(QString::fromStdString(programmer->Config().serial));
    box->setObjectName(QString::fromStdString(programmer->Config().serial));
    box->setChecked(bus_.IsPlugged(*programmer));
    connect(box, &QCheckBox::toggled, this, [this, programmer](bool plugged) {
        if (plugged)
            bus_.Replug(*programmer);
        else
            bus_.Unplug(*programmer);
    });
    rows_->addWidget(box);
}

void DemoWindow::AddProgrammer() {
    AddProgrammerRow(bus_.PlugProgrammer(sim::DefaultProgrammer(next_++)));
}

} // namespace miran::app
