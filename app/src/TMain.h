#pragma once

#include "QtPlacementWindow.h"
#include "window/MainEnvironment.h"
#include "window/MainView.h"
#include "window/MainWindow.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QSocketNotifier;

namespace miran::widgets {
class TGradientProgress;
class TLED;
class TMarkupLabel;
class TStatusBar;
} // namespace miran::widgets

namespace miran::app {

class SerialField;
class TDebug;

using window::MainEnvironment;

// The main window in Qt: the controls of the layout, which show what window::MainWindow decides and forward
// their events to it.
class TMain : public QWidget, private window::MainView {
    Q_OBJECT
public:
    explicit TMain(MainEnvironment environment, QWidget* parent = nullptr);
    ~TMain() override;

    void SetDebugWindow(TDebug* debug) { debug_ = debug; }

    // Controls, named as in the window's layout.
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* LabBiosVersion;
    QLabel* Label2;
    QLabel* LabBiosInfo;
    QGroupBox* GrpBox;
    QLabel* Label5;
    QComboBox* cbDevices;
    widgets::TLED* Led;
    QLabel* Label4;
    QLabel* LabSDBios;
    QLabel* Label3;
    SerialField* edUsbSerial;
    widgets::TMarkupLabel* MarkupLabel1;
    QFrame* Panel1;
    QPushButton* ButStart;
    QPushButton* ButExit;
    widgets::TStatusBar* sBar;
    widgets::TGradientProgress* pBar;

    const std::string& RememberedDevice() const { return behaviour_->RememberedDevice(); }
    hid::THidDevice* CurrentDevice() const { return behaviour_->CurrentDevice(); }

    void ButStartClick() { behaviour_->ButStartClick(); }
    void ButExitClick() { behaviour_->ButExitClick(); }
    QString StatusText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();

    // What the behaviour shows and asks.
    void SetTitle(const std::string& title) override;
    void Close() override;
    void ShowDebugWindow() override;
    void ShowError(const std::string& text) override;
    void SetText(window::Field field, const std::string& text) override;
    std::string UsbSerialText() override;
    void ClearEntries() override;
    void AddEntry(const std::string& text) override;
    void SelectEntry(int index) override;
    int SelectedEntry() override;
    void SetLamp(window::Lamp lamp) override;
    void SetStatusText(const std::string& text) override;
    void SetStatusHint(const std::string& text) override;
    void SetProgressMax(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetEnabled(window::Control control, bool enabled) override;
    void FocusStart() override;
    void Beep() override;
    bool CtrlHeld() override;
    void ProcessMessages() override;
    void WatchNotifications(int fd) override;
    void SetNotificationsWatched(bool watched) override;
    void Dispatch(std::function<void()> call) override;

    TDebug* debug_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    QtPlacementWindow placementWindow_;
    std::unique_ptr<window::MainWindow> behaviour_;
};

} // namespace miran::app
