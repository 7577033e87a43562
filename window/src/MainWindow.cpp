#include "window/MainWindow.h"

#include "window/ReleaseCopy.h"

namespace miran::window {

namespace {
constexpr const char* kIniFileName = "MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini";
} // namespace

MainWindow::MainWindow(MainEnvironment environment, MainView& view,
                       settings::PlacementWindow& placementWindow)
    : env_(std::move(environment)), view_(view), placementWindow_(placementWindow),
      image_(update::FirmwareImage::OpenResource()) {
    // Non-visual components, configured as the layout sets them.
    IniFile.SetLocation(settings::TFileLocation::flUserFolder);
    IniFile.SetAutoFlush(true);
    IniFile.SetAutoReload(true);
    IniFile.StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
    IniFile.StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");
    placementWindow_.Events().OnShow = [this] { FormShow(); };
    placementWindow_.Events().OnCloseQuery = [](bool&) {};
    FormStorage1 = std::make_unique<settings::TFormStorage>(placementWindow_);
    FormStorage1->SetAppStorage(&IniFile);
    FormStorage1->SetAppStoragePath("Main\\");
    FormStorage1->SetOptions({settings::TPlacementOption::fpState, settings::TPlacementOption::fpLocation});
    FormStorage1->Loaded();

    hidCtrl_ = std::make_unique<hid::THidDeviceController>(
        env_.platform,
        hid::THidDeviceController::Events{
            .OnEnumerate = hid::THidEnumerateEvent(
                [this](hid::THidDevice& device, int index) { return HidCtrlEnumerate(device, index); }),
            .OnDeviceChange = hid::TNotifyEvent([this] { HidCtrlDeviceChange(); }),
            .OnArrival = {},
            .OnRemoval = {}},
        // Read threads hand their reports over to the main thread.
        [this](std::function<void()> call) { view_.Dispatch(std::move(call)); });
    view_.WatchNotifications(hidCtrl_->NotificationFd());

    FormCreate();
}

MainWindow::~MainWindow() {
    if (placementWindow_.Events().OnDestroy)
        placementWindow_.Events().OnDestroy();
    FormStorage1.reset();
    // The list gives back what it borrowed, so that the controller can free every device object.
    engine_->Channel().SetCurrentDevice(nullptr);
    for (hid::THidDevice*& device : listedDevices_)
        hidCtrl_->ReleaseDevice(device);
    view_.WatchNotifications(-1);
    hidCtrl_.reset();
}

void MainWindow::FormCreate() {
    // The version bytes and texts come from the carried image's header.
    view_.SetTitle(image_.TitleText());
    engine_ = std::make_unique<update::UpdateEngine>(image_, static_cast<update::UpdateObserver&>(*this));
    IniFile.SetFileName(kIniFileName);
    firstSelectionPending_ = true;
}

void MainWindow::FormShow() {
    ReleaseCopy();
    view_.SetText(Field::BiosVersion, image_.DisplayVersion());
    view_.SetText(Field::BiosInfo, image_.InfoText());
    IniFile.SetDefaultSection("CONFIG");
    rememberedDevice_ = IniFile.GetString("DEVICE", "");
}

void MainWindow::ReleaseCopy() {
    if (!ReleaseCopyRequested(env_.arguments, env_.builderWindowExists))
        return;
    view_.ShowDebugWindow();
    CopyRelease(env_.executable,
                ReleaseCopyName(env_.executable, image_.VersionText(), env_.executableSuffix));
}

bool MainWindow::CloseQuery() {
    // EXIT or the close box during an upload takes effect when it ends.
    if (busy_) {
        closePending_ = true;
        return false;
    }
    bool canClose = true;
    if (placementWindow_.Events().OnCloseQuery)
        placementWindow_.Events().OnCloseQuery(canClose);
    if (!canClose)
        return false;
    FormClose();
    return true;
}

void MainWindow::FormClose() {
    IniFile.SetDefaultSection("CONFIG");
    IniFile.PutString("DEVICE", rememberedDevice_);
}

void MainWindow::ButExitClick() {
    view_.Close();
}

void MainWindow::OnNotification() {
    // Notifications that arrive while a scan runs wait until it has ended.
    view_.SetNotificationsWatched(false);
    try {
        hidCtrl_->HandleNotification();
    } catch (const std::exception& error) {
        view_.ShowError(error.what());
    }
    view_.SetNotificationsWatched(true);
}

void MainWindow::ButStartClick() {
    if (busy_)
        return;
    busy_ = true;
    restarting_.reset();
    const bool startEnabled = startEnabled_;
    SetStartEnabled(false);
    view_.SetEnabled(Control::Exit, false);
    view_.SetEnabled(Control::DeviceList, false);
    const std::string text = SelectedText();
    hid::THidDevice* device = CurrentDevice();
    const update::UploadResult result = engine_->StartUpdate();
    outcomeShown_ = !result.message.empty();
    // The closing command restarts the programmer: until it is back under a new instance it answers nothing.
    if (result.closingSent && device)
        restarting_ = Restarting{text, device->PnPInfo().DeviceInstance};
    view_.SetEnabled(Control::DeviceList, true);
    view_.SetEnabled(Control::Exit, true);
    SetStartEnabled(startEnabled);
    EndBusy();
}

void MainWindow::EndBusy() {
    busy_ = false;
    if (rebuildPending_) {
        rebuildPending_ = false;
        HidCtrlDeviceChange();
    }
    if (closePending_) {
        closePending_ = false;
        view_.Close();
    }
}

void MainWindow::SetStartEnabled(bool enabled) {
    startEnabled_ = enabled;
    view_.SetEnabled(Control::Start, enabled);
}

void MainWindow::SetStatusText(const std::string& text) {
    statusText_ = text;
    view_.SetStatusText(text);
    view_.SetStatusHint({});
    outcomeShown_ = false;
}

void MainWindow::SetProgressMax(int maximum) {
    view_.SetProgressMax(maximum);
}

void MainWindow::SetProgressPosition(int position) {
    view_.SetProgressPosition(position);
}

void MainWindow::ProcessMessages() {
    view_.ProcessMessages();
}

void MainWindow::Beep() {
    view_.Beep();
}

void MainWindow::Sleep(std::chrono::milliseconds duration) {
    env_.sleep(duration);
}

bool MainWindow::CtrlHeld() {
    return view_.CtrlHeld();
}

std::string MainWindow::UsbSerialText() {
    // As shown, blanks included: only the digits before the first blank are taken.
    return view_.UsbSerialText();
}

} // namespace miran::window
