// The device-list handlers: the list is rebuilt at each device change, then the selected programmer is
// identified.

#include "NoAccess.h"
#include "update/ProgrammerAccess.h"
#include "update/Protocol.h"
#include "window/MainWindow.h"

#include <algorithm>

namespace miran::window {

void MainWindow::HidCtrlDeviceChange() {
    // No rebuild in the middle of an identification or an upload: one runs when it ends.
    if (busy_) {
        rebuildPending_ = true;
        return;
    }
    busy_ = true;
    view_.SetLamp(Lamp::Off);
    if (!outcomeShown_)
        SetStatusText("");
    // A restarting programmer keeps its entry selected when it comes back.
    savedSelection_ = restarting_ ? restarting_->text : SelectedText();
    for (hid::THidDevice*& device : listedDevices_)
        hidCtrl_->ReleaseDevice(device);
    listedDevices_.clear();
    entries_.clear();
    view_.ClearEntries();
    selectIndex_ = -1;
    hidCtrl_->EnumerateDevices();
    view_.SelectEntry(selectIndex_ >= 0 ? selectIndex_ : (entries_.empty() ? -1 : 0));
    cbDevicesChange();
    EndBusy();
}

// Serial texts are UTF-8 from the device to the list, the comparisons and the ini file alike.
bool MainWindow::HidCtrlEnumerate(hid::THidDevice& device, int index) {
    if (device.VendorID() == update::kProgrammerVendorId &&
        device.ProductID() == update::kProgrammerProductId) {
        hid::THidDevice* acquired = nullptr;
        hidCtrl_->AcquireDeviceAt(acquired, index);
        const std::string serial = device.SerialNumber();
        entries_.push_back(serial.empty() ? "SERIAL IS MISSING" : serial);
        view_.AddEntry(entries_.back());
        if (serial == savedSelection_)
            selectIndex_ = static_cast<int>(entries_.size()) - 1;
        listedDevices_.push_back(acquired);
    }
    return true;
}

void MainWindow::cbDevicesChange() {
    ResetDisplay();
    view_.SetLamp(Lamp::Off);
    if (firstSelectionPending_) {
        const auto remembered = std::find(entries_.begin(), entries_.end(), rememberedDevice_);
        view_.SelectEntry(remembered != entries_.end() ? static_cast<int>(remembered - entries_.begin())
                                                       : (entries_.empty() ? -1 : 0));
        firstSelectionPending_ = false;
    }
    if (entries_.empty()) {
        // Nothing is left to talk to.
        engine_->Channel().SetCurrentDevice(nullptr);
        return;
    }
    hid::THidDevice* device = listedDevices_.at(static_cast<std::size_t>(view_.SelectedEntry()));
    const std::string text = SelectedText();
    engine_->Channel().SetCurrentDevice(device);
    if (restarting_) {
        // Asked before it is back, it would answer nothing and show "Wrong Data".
        if (device->PnPInfo().DeviceInstance == restarting_->instance)
            return;
        if (text == restarting_->text)
            restarting_.reset();
    }
    view_.SetLamp(Lamp::Identifying);
    ProcessMessages();
    Sleep(update::kIdentifyWait);

    update::IdentifyResult result = engine_->IdentifyDevice();
    if (result.biosCaption)
        view_.SetText(Field::DeviceBios, *result.biosCaption);
    if (result.usbSerial)
        view_.SetText(Field::UsbSerial, update::AsMaskedUsbSerial(*result.usbSerial));
    if (result.ok) {
        view_.SetLamp(Lamp::Identified);
        rememberedDevice_ = text;
        SetStartEnabled(true);
        view_.FocusStart();
    } else {
        ResetDisplay();
        Beep();
        if (update::ReadWriteProblem(*device) == update::OpenProblem::Permission)
            ShowNoAccess(*device);
        else if (statusText_.empty() || outcomeShown_)
            SetStatusText("Wrong Data");
    }
    ProcessMessages();
}

void MainWindow::cbDevicesSelect() {
    restarting_.reset();
    // Picked during an identification: the rebuild that follows it keeps the picked entry.
    if (busy_) {
        rebuildPending_ = true;
        return;
    }
    busy_ = true;
    view_.SetLamp(Lamp::Off);
    SetStatusText("");
    cbDevicesChange();
    EndBusy();
}

std::string MainWindow::SelectedText() {
    const int index = view_.SelectedEntry();
    return index >= 0 && index < static_cast<int>(entries_.size()) ? entries_[static_cast<std::size_t>(index)]
                                                                   : std::string();
}

// The status panel holds one short line: the hint names the node and what gives access to it.
void MainWindow::ShowNoAccess(const hid::THidDevice& device) {
    SetStatusText(NoAccessStatus());
    view_.SetStatusHint(NoAccessHint(device.PnPInfo().DevicePath));
}

void MainWindow::ResetDisplay() {
    view_.SetText(Field::DeviceBios, "---");
    view_.SetText(Field::UsbSerial, "");
    SetStartEnabled(false);
    view_.SetProgressPosition(0);
    ProcessMessages();
}

} // namespace miran::window
