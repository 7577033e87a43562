// The device list: rebuilt at each device change, then the selected programmer is identified.

#include "TMain.h"
#include "update/ProgrammerId.h"
#include "widgets/GradientProgress.h"
#include "widgets/LED.h"
#include "widgets/StatusBar.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace miran::app {

namespace {
constexpr widgets::TColor kIdentifying = widgets::clYellow;
constexpr widgets::TColor kIdentified = widgets::clLime;
} // namespace

void TMain::HidCtrlDeviceChange() {
    // No rebuild in the middle of an identification or an upload: one runs when it ends.
    if (busy_) {
        rebuildPending_ = true;
        return;
    }
    busy_ = true;
    Led->setStatus(false);
    SetStatusText("");
    savedSelection_ = cbDevices->currentText();
    for (hid::THidDevice*& device : listedDevices_)
        hidCtrl_->ReleaseDevice(device);
    listedDevices_.clear();
    cbDevices->clear();
    selectIndex_ = -1;
    hidCtrl_->EnumerateDevices();
    cbDevices->setCurrentIndex(selectIndex_ >= 0 ? selectIndex_ : (cbDevices->count() > 0 ? 0 : -1));
    cbDevicesChange();
    EndBusy();
}

bool TMain::HidCtrlEnumerate(hid::THidDevice& device, int index) {
    if (device.VendorID() == update::kProgrammerVendorId &&
        device.ProductID() == update::kProgrammerProductId) {
        hid::THidDevice* acquired = nullptr;
        hidCtrl_->AcquireDeviceAt(acquired, index);
        const std::string serial = device.SerialNumber();
        cbDevices->addItem(serial.empty() ? QString("SERIAL IS MISSING") : QString::fromLocal8Bit(serial));
        if (QString::fromStdString(serial) == savedSelection_)
            selectIndex_ = cbDevices->count() - 1;
        listedDevices_.push_back(acquired);
    }
    return true;
}

void TMain::cbDevicesChange() {
    ResetDisplay();
    Led->setStatus(false);
    if (firstSelectionPending_) {
        int remembered = cbDevices->findText(QString::fromLocal8Bit(rememberedDevice_), Qt::MatchExactly);
        cbDevices->setCurrentIndex(remembered >= 0 ? remembered : (cbDevices->count() > 0 ? 0 : -1));
        firstSelectionPending_ = false;
    }
    if (cbDevices->count() == 0) {
        // Nothing is left to talk to.
        engine_->Channel().SetCurrentDevice(nullptr);
        return;
    }
    engine_->Channel().SetCurrentDevice(listedDevices_.at(cbDevices->currentIndex()));
    Led->setColorOn(kIdentifying);
    Led->setStatus(true);
    ProcessMessages();
    Sleep(std::chrono::milliseconds(200));

    update::IdentifyResult result = engine_->IdentifyDevice();
    if (result.biosCaption)
        LabSDBios->setText(QString::fromStdString(*result.biosCaption));
    if (result.usbSerial)
        edUsbSerial->setText(QString::fromLocal8Bit(update::AsMaskedUsbSerial(*result.usbSerial)));
    if (result.ok) {
        Led->setColorOn(kIdentified);
        rememberedDevice_ = cbDevices->currentText().toLocal8Bit().toStdString();
        ButStart->setEnabled(true);
        ButStart->setFocus();
    } else {
        ResetDisplay();
        Beep();
        if (StatusText().isEmpty())
            SetStatusText("Wrong Data");
    }
    ProcessMessages();
}

void TMain::ResetDisplay() {
    LabSDBios->setText("---");
    edUsbSerial->setText("");
    ButStart->setEnabled(false);
    pBar->setPosition(0);
    ProcessMessages();
}

} // namespace miran::app
