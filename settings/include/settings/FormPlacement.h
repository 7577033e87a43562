#pragma once

#include "settings/PlacementWindow.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace miran::settings {

class TAppIniFileStorage;

enum class TPlacementOption { fpState, fpSize, fpLocation, fpActiveControl };

class TPlacementOptions {
public:
    TPlacementOptions(std::initializer_list<TPlacementOption> options = {});
    bool Contains(TPlacementOption option) const { return (bits_ & Bit(option)) != 0; }
    // Window rectangle or positions are stored.
    bool HasGeometry() const {
        return Contains(TPlacementOption::fpSize) || Contains(TPlacementOption::fpLocation);
    }
    // Nothing of the window itself is stored.
    bool IsActiveControlOnly() const { return bits_ == Bit(TPlacementOption::fpActiveControl); }

private:
    static unsigned Bit(TPlacementOption option) { return 1u << static_cast<unsigned>(option); }
    unsigned bits_ = 0;
};

enum class TPlacementVersionCheck { fpvcNocheck, fpvcCheckGreaterEqual, fpvcCheckEqual };

// Stores the window's show state and placement (see WriteWindowPlacement) under a storage path.
void WriteWindowPlacement(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
                          const TPlacementOptions& options);
// Puts a stored placement back, when it was saved at the same pixels per inch and lies on the monitors.
void ReadWindowPlacement(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
                         const TPlacementOptions& options);

// Remembers where a form was and in which state it was left, and puts it back at its next first show.
// Once Loaded() has run it handles the form's show, close-query and destroy events, calling the
// handlers that were there before after (show, destroy) or before (close query) its own work.
//
// The program's set-up, after the window's own handlers are in its Events():
//     FormStorage1.SetAppStorage(&IniFile);
//     FormStorage1.SetAppStoragePath("Main\\");
//     FormStorage1.SetOptions({TPlacementOption::fpState, TPlacementOption::fpLocation});
//     FormStorage1.Loaded();
class TFormPlacement {
public:
    explicit TFormPlacement(PlacementWindow& form);
    // Puts the form's previous event handlers back. The form must outlive the component.
    ~TFormPlacement();
    TFormPlacement(const TFormPlacement&) = delete;
    TFormPlacement& operator=(const TFormPlacement&) = delete;

    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    TAppIniFileStorage* AppStorage() const { return appStorage_; }
    void SetAppStorage(TAppIniFileStorage* storage) { appStorage_ = storage; }
    // Ends with a backslash unless empty; "%FORM_NAME%" stands for the form's name.
    const std::string& AppStoragePath() const { return appStoragePath_; }
    void SetAppStoragePath(const std::string& path);
    const TPlacementOptions& Options() const { return options_; }
    void SetOptions(const TPlacementOptions& options) { options_ = options; }
    int Version() const { return version_; }
    void SetVersion(int version) { version_ = version; }
    TPlacementVersionCheck VersionCheck() const { return versionCheck_; }
    void SetVersionCheck(TPlacementVersionCheck check) { versionCheck_ = check; }

    std::function<void()> BeforeSavePlacement;
    std::function<void()> OnSavePlacement;
    std::function<void()> AfterSavePlacement;
    std::function<void()> BeforeRestorePlacement;
    std::function<void()> OnRestorePlacement;
    std::function<void()> AfterRestorePlacement;

    // End of set-up: takes over the form's event handlers.
    void Loaded();

    void StorePlacement();
    void LoadPlacement();
    // Keeps a maximised window's own border just outside the screen.
    void AdjustMaximizedPosition();

    bool RestoreDone() const { return restoreDone_; }
    bool SaveDone() const { return saveDone_; }

private:
    void ResolveFormName();
    bool CanUseStorage() const { return active_ && appStorage_ != nullptr; }
    bool VersionAccepted(int stored) const;
    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormDestroy();
    // Runs a save or restore from an event; its error goes to the application's handler.
    void Guarded(void (TFormPlacement::*step)());

    PlacementWindow& form_;
    bool active_ = true;
    TAppIniFileStorage* appStorage_ = nullptr;
    std::string appStoragePath_;
    TPlacementOptions options_{TPlacementOption::fpState, TPlacementOption::fpSize,
                               TPlacementOption::fpLocation};
    int version_ = 0;
    TPlacementVersionCheck versionCheck_ = TPlacementVersionCheck::fpvcCheckGreaterEqual;

    TFormEvents previous_;
    bool attached_ = false;
    bool restoreDone_ = false;
    bool saveDone_ = false;
};

// The placement component the main window owns.
class TFormStorage : public TFormPlacement {
public:
    using TFormPlacement::TFormPlacement;
};

} // namespace miran::settings
