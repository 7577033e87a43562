#include "settings/FormPlacement.h"

#include "Batch.h"
#include "settings/AppIniFileStorage.h"
#include "settings/ValuePath.h"

namespace miran::settings {

namespace {

constexpr std::string_view kFormNamePlaceholder = "%FORM_NAME%";

void Fire(const std::function<void()>& event) {
    if (event)
        event();
}

} // namespace

TPlacementOptions::TPlacementOptions(std::initializer_list<TPlacementOption> options) {
    for (const auto option : options)
        bits_ |= Bit(option);
}

TFormPlacement::TFormPlacement(PlacementWindow& form) : form_(form), appStoragePath_(kFormNamePlaceholder) {}

TFormPlacement::~TFormPlacement() {
    if (attached_)
        form_.Events() = previous_;
}

void TFormPlacement::SetAppStoragePath(const std::string& path) {
    appStoragePath_ = path;
    if (!appStoragePath_.empty() && appStoragePath_.back() != '\\')
        appStoragePath_ += '\\';
}

void TFormPlacement::Loaded() {
    ResolveFormName();
    if (attached_)
        return;
    auto& events = form_.Events();
    previous_ = events;
    events.OnShow = [this] { FormShow(); };
    events.OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    events.OnDestroy = [this] { FormDestroy(); };
    attached_ = true;
}

void TFormPlacement::StorePlacement() {
    if (appStorage_ == nullptr)
        return;
    auto& storage = *appStorage_;
    InBatch(storage, [&] {
        ResolveFormName();
        Fire(BeforeSavePlacement);
        if (versionCheck_ != TPlacementVersionCheck::fpvcNocheck)
            storage.PutInteger(ConcatPaths(appStoragePath_, "FormVersion"), version_);
        Fire(OnSavePlacement);
        if (restoreDone_) {
            WriteWindowPlacement(form_, storage, appStoragePath_, options_);
            if (options_.Contains(TPlacementOption::fpActiveControl)) {
                const auto focused = form_.ActiveControlName();
                if (!focused.empty())
                    storage.PutString(ConcatPaths(appStoragePath_, "ActiveControl"), focused);
            }
        }
        Fire(AfterSavePlacement);
        saveDone_ = true;
    });
}

void TFormPlacement::LoadPlacement() {
    if (appStorage_ == nullptr)
        return;
    auto& storage = *appStorage_;
    ResolveFormName();
    InBatch(storage, [&] {
        saveDone_ = false;
        if (VersionAccepted(storage.GetInteger(ConcatPaths(appStoragePath_, "FormVersion"), 0))) {
            Fire(BeforeRestorePlacement);
            ReadWindowPlacement(form_, storage, appStoragePath_, options_);
            restoreDone_ = true;
            Fire(OnRestorePlacement);
            if (options_.Contains(TPlacementOption::fpActiveControl)) {
                const auto focused = storage.GetString(ConcatPaths(appStoragePath_, "ActiveControl"));
                if (!focused.empty())
                    form_.FocusControl(focused);
            }
            Fire(AfterRestorePlacement);
        }
        restoreDone_ = true;
    });
    AdjustMaximizedPosition();
}

void TFormPlacement::AdjustMaximizedPosition() {
    if (!form_.HasWindow())
        return;
    auto placement = form_.GetWindowPlacement();
    if (!form_.IsWindowVisible())
        placement.ShowCmd = SW_HIDE;
    TPoint border;
    switch (form_.BorderStyle()) {
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
        border = {form_.GetSystemMetrics(TSystemMetric::CxBorder),
                  form_.GetSystemMetrics(TSystemMetric::CyBorder)};
        break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
        border = {form_.GetSystemMetrics(TSystemMetric::CxFrame),
                  form_.GetSystemMetrics(TSystemMetric::CyFrame)};
        break;
    case TFormBorderStyle::bsDialog:
        border = {form_.GetSystemMetrics(TSystemMetric::CxDlgFrame),
                  form_.GetSystemMetrics(TSystemMetric::CyDlgFrame)};
        break;
    case TFormBorderStyle::bsNone:
        break;
    }
    placement.MaxPosition = {-border.X, -border.Y};
    form_.SetWindowPlacement(placement);
}

void TFormPlacement::ResolveFormName() {
    for (auto at = appStoragePath_.find(kFormNamePlaceholder); at != std::string::npos;
         at = appStoragePath_.find(kFormNamePlaceholder, at)) {
        const auto name = form_.Name();
        appStoragePath_.replace(at, kFormNamePlaceholder.size(), name);
        at += name.size();
    }
}

bool TFormPlacement::VersionAccepted(int stored) const {
    switch (versionCheck_) {
    case TPlacementVersionCheck::fpvcNocheck:
        return true;
    case TPlacementVersionCheck::fpvcCheckGreaterEqual:
        return stored >= version_;
    case TPlacementVersionCheck::fpvcCheckEqual:
        return stored == version_;
    }
    return false;
}

void TFormPlacement::FormShow() {
    if (CanUseStorage() && !restoreDone_)
        Guarded(&TFormPlacement::LoadPlacement);
    Fire(previous_.OnShow);
}

void TFormPlacement::FormCloseQuery(bool& canClose) {
    if (previous_.OnCloseQuery)
        previous_.OnCloseQuery(canClose);
    if (canClose && CanUseStorage() && form_.HasWindow())
        Guarded(&TFormPlacement::StorePlacement);
}

void TFormPlacement::FormDestroy() {
    if (CanUseStorage() && !saveDone_)
        Guarded(&TFormPlacement::StorePlacement);
    Fire(previous_.OnDestroy);
}

void TFormPlacement::Guarded(void (TFormPlacement::*step)()) {
    try {
        (this->*step)();
    } catch (const std::exception& error) {
        form_.ShowException(error);
    }
}

} // namespace miran::settings
