// TMain's device-list handlers: the list is rebuilt at each device change, then the selected programmer is
// identified.

#include "TMain.h"
#include "update/ProgrammerAccess.h"
#include "update/Protocol.h"
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

// Serial texts are UTF-8 from the device to the list, the comparisons and the ini file alike.
QString SerialText(const std::string& serial) {
    return QString::fromStdString(serial);
}

// The masked field drops a space and moves the digits behind it up; its blank keeps them in place.
QString MaskedFieldText(const std::string& usbSerial) {
    return QString::fromStdString(update::AsMaskedUsbSerial(usbSerial)).replace(' ', '_');
}

} // namespace

void TMain::HidCtrlDeviceChange() {
    // No rebuild in the middle of an identification or an upload: one runs when it ends.
    if (busy_) {
        rebuildPending_ = true;
        return;
    }
    busy_ = true;
    Led->setStatus(false);
    if (!outcomeShown_)
        SetStatusText("");
    // A restarting programmer keeps its entry selected when it comes back.
    savedSelection_ = restarting_ ? restarting_->text : cbDevices->currentText();
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
        cbDevices->addItem(serial.empty() ? QString("SERIAL IS MISSING") : SerialText(serial));
        if (SerialText(serial) == savedSelection_)
            selectIndex_ = cbDevices->count() - 1;
        listedDevices_.push_back(acquired);
    }
    return true;
}

void TMain::cbDevicesChange() {
    ResetDisplay();
    Led->setStatus(false);
    if (firstSelectionPending_) {
        int remembered = cbDevices->findText(SerialText(rememberedDevice_), Qt::MatchExactly);
        cbDevices->setCurrentIndex(remembered >= 0 ? remembered : (cbDevices->count() > 0 ? 0 : -1));
        firstSelectionPending_ = false;
    }
    if (cbDevices->count() == 0) {
        // Nothing is left to talk to.
        engine_->Channel().SetCurrentDevice(nullptr);
        return;
    }
    hid::THidDevice* device = listedDevices_.at(cbDevices->currentIndex());
    const QString text = cbDevices->currentText();
    engine_->Channel().SetCurrentDevice(device);
    if (restarting_) {
        // Asked before it is back, it would answer nothing and show "Wrong Data".
        if (device->PnPInfo().DeviceInstance == restarting_->instance)
            return;
        if (text == restarting_->text)
            restarting_.reset();
    }
    Led->setColorOn(kIdentifying);
    Led->setStatus(true);
    ProcessMessages();
    Sleep(update::kIdentifyWait);

    update::IdentifyResult result = engine_->IdentifyDevice();
    if (result.biosCaption)
        LabSDBios->setText(QString::fromStdString(*result.biosCaption));
    if (result.usbSerial)
        edUsbSerial->setText(MaskedFieldText(*result.usbSerial));
    if (result.ok) {
        Led->setColorOn(kIdentified);
        rememberedDevice_ = text.toStdString();
        ButStart->setEnabled(true);
        ButStart->setFocus();
    } else {
        ResetDisplay();
        Beep();
        if (update::ReadWriteProblem(*device) == update::OpenProblem::Permission)
            ShowNoAccess(*device);
        else if (StatusText().isEmpty() || outcomeShown_)
            SetStatusText("Wrong Data");
    }
    ProcessMessages();
}

void TMain::cbDevicesSelect() {
    restarting_.reset();
    // Picked during an identification: the rebuild that follows it keeps the picked entry.
    if (busy_) {
        rebuildPending_ = true;
        return;
    }
    busy_ = true;
    Led->setStatus(false);
    SetStatusText("");
    cbDevicesChange();
    EndBusy();
}

// The status panel holds one short line: the tool tip names the node and the commands that fix it.
void TMain::ShowNoAccess(const hid::THidDevice& device) {
    SetStatusText("No access: install the udev rule");
    sBar->setToolTip(QString::fromStdString("Programmer " + device.PnPInfo().DevicePath +
                                            " cannot be opened for reading and writing.\n"
                                            "Install the udev rule:\n" +
                                            update::kInstallRuleCommand + "\n" + update::kApplyRuleCommand +
                                            "\nthen plug the programmer in again."));
}

void TMain::ResetDisplay() {
    LabSDBios->setText("---");
    edUsbSerial->setText("");
    ButStart->setEnabled(false);
    pBar->setPosition(0);
    ProcessMessages();
}

} // namespace miran::app
