#include "TMain.h"

#include "ClassicGroupBoxStyle.h"
#include "SerialField.h"
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
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>

namespace miran::app {

namespace {

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
    : QWidget(parent),
      placementWindow_(*this, settings::TFormBorderStyle::bsSingle, settings::TPosition::poDesktopCenter) {
    setObjectName("Main");
    CreateControls();
    behaviour_ = std::make_unique<window::MainWindow>(
        std::move(environment), static_cast<window::MainView&>(*this), placementWindow_);
}

TMain::~TMain() {
    behaviour_.reset();
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
    edUsbSerial = new SerialField(GrpBox);
    edUsbSerial->setObjectName("edUsbSerial");
    edUsbSerial->setGeometry(8, 64, 125, 22);
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
    connect(cbDevices, &QComboBox::activated, this, [this] { behaviour_->cbDevicesSelect(); });
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

void TMain::showEvent(QShowEvent* event) {
    if (!event->spontaneous() && placementWindow_.Events().OnShow) {
        placementWindow_.ApplyPosition();
        placementWindow_.Events().OnShow();
    }
    QWidget::showEvent(event);
}

void TMain::closeEvent(QCloseEvent* event) {
    if (behaviour_->CloseQuery())
        event->accept();
    else
        event->ignore();
}

QString TMain::StatusText() const {
    return sBar->Panel(0)->Text();
}

void TMain::SetTitle(const std::string& title) {
    // The title is the window's caption and its task bar text. Not the application's display name: Qt would
    // append that to the caption of every other window.
    setWindowTitle(QString::fromStdString(title));
    setWindowIconText(QString::fromStdString(title));
}

void TMain::Close() {
    close();
}

void TMain::ShowDebugWindow() {
    if (debug_)
        debug_->show();
}

void TMain::ShowError(const std::string& text) {
    QMessageBox::critical(this, windowTitle(), QString::fromLocal8Bit(text));
}

void TMain::SetText(window::Field field, const std::string& text) {
    switch (field) {
    case window::Field::BiosVersion:
        LabBiosVersion->setText(QString::fromStdString(text));
        break;
    case window::Field::BiosInfo:
        LabBiosInfo->setText(QString::fromStdString(text));
        break;
    case window::Field::DeviceBios:
        LabSDBios->setText(QString::fromStdString(text));
        break;
    case window::Field::UsbSerial:
        edUsbSerial->SetMaskedText(text);
        break;
    }
}

std::string TMain::UsbSerialText() {
    return edUsbSerial->Shown();
}

void TMain::ClearEntries() {
    cbDevices->clear();
}

// Serial texts are UTF-8 from the device to the list.
void TMain::AddEntry(const std::string& text) {
    cbDevices->addItem(QString::fromStdString(text));
}

void TMain::SelectEntry(int index) {
    cbDevices->setCurrentIndex(index);
}

int TMain::SelectedEntry() {
    return cbDevices->currentIndex();
}

void TMain::SetLamp(window::Lamp lamp) {
    if (const auto colour = window::LampOnColour(lamp))
        Led->setColorOn(widgets::TColor::FromNumber(*colour));
    Led->setStatus(lamp != window::Lamp::Off);
}

void TMain::SetStatusText(const std::string& text) {
    sBar->Panel(0)->setText(QString::fromLocal8Bit(text));
}

void TMain::SetStatusHint(const std::string& text) {
    sBar->setToolTip(QString::fromStdString(text));
}

void TMain::SetProgressMax(int maximum) {
    pBar->setMaximum(maximum);
}

void TMain::SetProgressPosition(int position) {
    pBar->setPosition(position);
}

void TMain::SetEnabled(window::Control control, bool enabled) {
    switch (control) {
    case window::Control::Start:
        ButStart->setEnabled(enabled);
        break;
    case window::Control::Exit:
        ButExit->setEnabled(enabled);
        break;
    case window::Control::DeviceList:
        cbDevices->setEnabled(enabled);
        break;
    }
}

void TMain::FocusStart() {
    ButStart->setFocus();
}

void TMain::Beep() {
    QApplication::beep();
}

bool TMain::CtrlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

void TMain::ProcessMessages() {
    QCoreApplication::processEvents();
}

void TMain::WatchNotifications(int fd) {
    delete notifier_;
    notifier_ = nullptr;
    if (fd < 0)
        return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { behaviour_->OnNotification(); });
}

void TMain::SetNotificationsWatched(bool watched) {
    if (notifier_)
        notifier_->setEnabled(watched);
}

void TMain::Dispatch(std::function<void()> call) {
    QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
}

} // namespace miran::app
