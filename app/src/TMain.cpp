#include "TMain.h"

#include "ClassicGroupBoxStyle.h"
#include "ReleaseCopy.h"
#include "TDebug.h"
#include "widgets/GradientProgress.h"
#include "widgets/LED.h"
#include "widgets/MarkupLabel.h"
#include "widgets/StatusBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>

namespace miran::app {

namespace {

constexpr const char* kIniFileName = "MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini";
const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);

QFont BoldFont(const char* family, int points) {
    QFont font(family);
    font.setPointSize(points);
    font.setBold(true);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  const QColor& colour, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setFont(BoldFont("Tahoma", 8));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect geometry) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setGeometry(geometry);
    auto* style = new ClassicGroupBoxStyle;
    style->setParent(group);
    group->setStyle(style);
    group->setFont(BoldFont("Tahoma", 8));
    QPalette palette = group->palette();
    palette.setColor(QPalette::WindowText, kNavy);
    group->setPalette(palette);
    return group;
}

} // namespace

TMain::TMain(MainEnvironment environment, QWidget* parent)
    : QWidget(parent), env_(std::move(environment)), image_(update::FirmwareImage::OpenResource()),
      placementWindow_(*this, settings::TFormBorderStyle::bsSingle, settings::TPosition::poDesktopCenter) {
    setObjectName("Main");
    CreateControls();

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
        // Read threads hand their reports over to the GUI thread.
        [](std::function<void()> call) {
            QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
        });
    if (hidCtrl_->NotificationFd() >= 0) {
        notifier_ = new QSocketNotifier(hidCtrl_->NotificationFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { OnNotification(); });
    }

    FormCreate();
}

TMain::~TMain() {
    if (placementWindow_.Events().OnDestroy)
        placementWindow_.Events().OnDestroy();
    FormStorage1.reset();
    // The list gives back what it borrowed, so that the controller can free every device object.
    engine_->Channel().SetCurrentDevice(nullptr);
    for (hid::THidDevice*& device : listedDevices_)
        hidCtrl_->ReleaseDevice(device);
    delete notifier_;
    hidCtrl_.reset();
}

void TMain::CreateControls() {
    setFixedSize(349, 224);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont base("MS Sans Serif");
    base.setPointSize(8);
    setFont(base);

    GroupBox1 = MakeGroup(this, "GroupBox1", "[ BIOS VERSION INFO ]", {0, 4, 349, 61});
    Label1 = MakeLabel(GroupBox1, "Label1", "Bios-Version:", {8, 16, 81, 16}, kNavy,
                       Qt::AlignRight | Qt::AlignTop);
    LabBiosVersion = MakeLabel(GroupBox1, "LabBiosVersion", "---", {96, 16, 89, 16}, kMaroon);
    Label2 =
        MakeLabel(GroupBox1, "Label2", "Bios-Info:", {8, 32, 81, 16}, kNavy, Qt::AlignRight | Qt::AlignTop);
    LabBiosInfo = MakeLabel(GroupBox1, "LabBiosInfo", "---", {96, 34, 153, 16}, kMaroon);
    LabBiosInfo->setWordWrap(true);

    GrpBox = MakeGroup(this, "GrpBox", "", {0, 67, 349, 94});
    Label5 = MakeLabel(GrpBox, "Label5", "Device-Serial Number", {8, 6, 121, 16}, kNavy);
    cbDevices = new QComboBox(GrpBox);
    cbDevices->setObjectName("cbDevices");
    cbDevices->setGeometry(8, 22, 145, 22);
    Led = new widgets::TLED(GrpBox);
    Led->setObjectName("Led");
    Led->move(160, 25);
    Led->setStatus(false);
    Label4 =
        MakeLabel(GrpBox, "Label4", "Bios-Version:", {200, 25, 81, 16}, kNavy, Qt::AlignRight | Qt::AlignTop);
    LabSDBios = MakeLabel(GrpBox, "LabSDBios", "---", {288, 25, 49, 16}, kMaroon);
    Label3 = MakeLabel(GrpBox, "Label3", "USB-Serial Number", {8, 48, 121, 16}, kNavy);
    edUsbSerial = new QLineEdit(GrpBox);
    edUsbSerial->setObjectName("edUsbSerial");
    edUsbSerial->setGeometry(8, 64, 125, 22);
    // Fifteen optional digits, blanks shown as '_'.
    edUsbSerial->setInputMask("000000000000000;_");
    edUsbSerial->setMaxLength(15);
    MarkupLabel1 = new widgets::TMarkupLabel(GrpBox);
    MarkupLabel1->setObjectName("MarkupLabel1");
    MarkupLabel1->setGeometry(144, 60, 171, 27);
    MarkupLabel1->setCaption("Enter 13 Digits to use POLY-MCU<br>with Atmel-Studio");

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 224 - 19 - 41, 349, 41);
    Panel1->setAutoFillBackground(true);
    QPalette panelPalette = Panel1->palette();
    panelPalette.setColor(QPalette::Window, QColor(225, 225, 225));
    Panel1->setPalette(panelPalette);
    ButStart = new QPushButton("START UPDATE", Panel1);
    ButStart->setObjectName("ButStart");
    ButStart->setGeometry(8, 8, 241, 25);
    ButStart->setFont(BoldFont("Verdana", 8));
    ButStart->setEnabled(false);
    ButExit = new QPushButton("EXIT", Panel1);
    ButExit->setObjectName("ButExit");
    ButExit->setGeometry(264, 8, 75, 25);
    ButExit->setFont(BoldFont("Verdana", 8));
    connect(cbDevices, &QComboBox::activated, this, [this] { cbDevicesSelect(); });
    connect(ButStart, &QPushButton::clicked, this, [this] { ButStartClick(); });
    connect(ButExit, &QPushButton::clicked, this, [this] { ButExitClick(); });

    sBar = new widgets::TStatusBar(this);
    sBar->setObjectName("sBar");
    sBar->setGeometry(0, 205, 349, 19);
    sBar->setSizeGrip(false);
    sBar->setUseSystemFont(false);
    QFont barFont("Tahoma");
    barFont.setPixelSize(11);
    sBar->setFont(barFont);
    sBar->AddPanel()->setWidth(250);
    sBar->AddPanel()->setWidth(50);
    pBar = new widgets::TGradientProgress(this);
    pBar->setObjectName("pBar");
    pBar->resize(94, 15);
    pBar->setSolid(true);
    pBar->setStartColor(widgets::clGreen);
    pBar->setEndColor(widgets::clLime);
    sBar->Panel(1)->setControl(pBar);
}

void TMain::FormCreate() {
    // The version bytes and texts come from the carried image's header.
    // The title is the window's caption and its task bar text. Not the application's display name: Qt would
    // append that to the caption of every other window.
    const QString title = QString::fromStdString(image_.TitleText());
    setWindowTitle(title);
    setWindowIconText(title);
    engine_ = std::make_unique<update::UpdateEngine>(image_, static_cast<update::UpdateObserver&>(*this));
    IniFile.SetFileName(kIniFileName);
    firstSelectionPending_ = true;
}

void TMain::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && placementWindow_.Events().OnShow) {
        placementWindow_.ApplyPosition();
        placementWindow_.Events().OnShow();
    }
    QWidget::showEvent(event);
}

void TMain::FormShow() {
    ReleaseCopy();
    LabBiosVersion->setText(QString::fromStdString(image_.DisplayVersion()));
    LabBiosInfo->setText(QString::fromStdString(image_.InfoText()));
    IniFile.SetDefaultSection("CONFIG");
    rememberedDevice_ = IniFile.GetString("DEVICE", "");
}

void TMain::ReleaseCopy() {
    if (!ReleaseCopyRequested(env_.arguments, env_.builderWindowExists))
        return;
    if (debug_)
        debug_->show();
    CopyRelease(env_.executable,
                ReleaseCopyName(env_.executable, image_.VersionText(), env_.executableSuffix));
}

void TMain::closeEvent(QCloseEvent* event) {
    // EXIT or the close box during an upload takes effect when it ends.
    if (busy_) {
        closePending_ = true;
        event->ignore();
        return;
    }
    bool canClose = true;
    if (placementWindow_.Events().OnCloseQuery)
        placementWindow_.Events().OnCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TMain::FormClose() {
    IniFile.SetDefaultSection("CONFIG");
    IniFile.PutString("DEVICE", rememberedDevice_);
}

void TMain::ButExitClick() {
    close();
}

void TMain::OnNotification() {
    // Notifications that arrive while a scan runs wait until it has ended.
    notifier_->setEnabled(false);
    try {
        hidCtrl_->HandleNotification();
    } catch (const std::exception& error) {
        QMessageBox::critical(this, windowTitle(), QString::fromLocal8Bit(error.what()));
    }
    notifier_->setEnabled(true);
}

void TMain::ButStartClick() {
    if (busy_)
        return;
    busy_ = true;
    restarting_.reset();
    const bool startEnabled = ButStart->isEnabled();
    ButStart->setEnabled(false);
    ButExit->setEnabled(false);
    cbDevices->setEnabled(false);
    const QString text = cbDevices->currentText();
    hid::THidDevice* device = CurrentDevice();
    const update::UploadResult result = engine_->StartUpdate();
    outcomeShown_ = !result.message.empty();
    // The closing command restarts the programmer: until it is back under a new instance it answers nothing.
    if (result.closingSent && device)
        restarting_ = Restarting{text, device->PnPInfo().DeviceInstance};
    cbDevices->setEnabled(true);
    ButExit->setEnabled(true);
    ButStart->setEnabled(startEnabled);
    EndBusy();
}

void TMain::EndBusy() {
    busy_ = false;
    if (rebuildPending_) {
        rebuildPending_ = false;
        HidCtrlDeviceChange();
    }
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

QString TMain::StatusText() const {
    return sBar->Panel(0)->Text();
}

void TMain::SetStatusText(const std::string& text) {
    sBar->Panel(0)->setText(QString::fromLocal8Bit(text));
    sBar->setToolTip({});
    outcomeShown_ = false;
}

void TMain::SetProgressMax(int maximum) {
    pBar->setMaximum(maximum);
}

void TMain::SetProgressPosition(int position) {
    pBar->setPosition(position);
}

void TMain::ProcessMessages() {
    QCoreApplication::processEvents();
}

void TMain::Beep() {
    QApplication::beep();
}

void TMain::Sleep(std::chrono::milliseconds duration) {
    env_.sleep(duration);
}

bool TMain::CtrlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

std::string TMain::UsbSerialText() {
    // As shown, blanks included: only the digits before the first blank are taken.
    return edUsbSerial->displayText().toStdString();
}

} // namespace miran::app
