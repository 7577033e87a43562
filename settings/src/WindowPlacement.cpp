#include "Batch.h"
#include "Text.h"
#include "settings/AppIniFileStorage.h"
#include "settings/FormPlacement.h"
#include "settings/ValuePath.h"

#include <vector>

namespace miran::settings {

namespace {

// "(1280x1024)": the whole desktop, appended to the position keys.
std::string DesktopSuffix(const PlacementWindow& window) {
    const auto size = window.DesktopSize();
    // Built from the number on: MinGW's GCC 12 sees a false overlap in "(" + std::string at -O3.
    auto suffix = std::to_string(size.Width) + "x" + std::to_string(size.Height) + ")";
    return suffix.insert(0, 1, '(');
}

std::string FormatFour(int a, int b, int c, int d) {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

// Words are the runs of characters other than comma and blank.
std::vector<std::string_view> PositionWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while ((start = text.find_first_not_of(", ", start)) != std::string_view::npos) {
        const auto end = text.find_first_of(", ", start);
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

int WordAsInteger(const std::vector<std::string_view>& words, std::size_t index, int defaultValue) {
    if (index >= words.size())
        return defaultValue;
    return ParseInteger(words[index]).value_or(defaultValue);
}

// The position text stored for the current desktop size, else the one stored for any size.
std::string ReadPositionText(TAppIniFileStorage& storage, const std::string& path,
                             const std::string& suffix) {
    const auto suffixed = path + suffix;
    return storage.GetString(storage.HasValue(suffixed) ? suffixed : path);
}

// Keeps the form's own positioning at show time from overriding the restored position.
void KeepRestoredPosition(PlacementWindow& window, const TPlacementOptions& options) {
    const bool size = options.Contains(TPlacementOption::fpSize);
    const bool location = options.Contains(TPlacementOption::fpLocation);
    auto position = window.Position();
    if (size && location)
        position = TPosition::poDesigned;
    else if (position == TPosition::poDefault)
        position = size ? TPosition::poDefaultPosOnly : TPosition::poDefaultSizeOnly;
    else if (location)
        position = TPosition::poDesigned;
    if (position != window.Position())
        window.SetPosition(position);
}

void ReadGeometry(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
                  const TPlacementOptions& options, TWindowPlacement& placement) {
    const bool size = options.Contains(TPlacementOption::fpSize);
    const bool location = options.Contains(TPlacementOption::fpLocation);
    const auto suffix = DesktopSuffix(window);
    bool dataFound = false;
    placement.Flags = storage.GetInteger(ConcatPaths(path, "Flags"), placement.Flags);

    const auto minMax = ReadPositionText(storage, ConcatPaths(path, "MinMaxPos"), suffix);
    if (!minMax.empty()) {
        dataFound = true;
        const auto words = PositionWords(minMax);
        if (location)
            placement.MinPosition = {WordAsInteger(words, 0, 0), WordAsInteger(words, 1, 0)};
        if (size)
            placement.MaxPosition = {WordAsInteger(words, 2, 0), WordAsInteger(words, 3, 0)};
    }

    const auto normal = ReadPositionText(storage, ConcatPaths(path, "NormPos"), suffix);
    if (!normal.empty()) {
        dataFound = true;
        const auto words = PositionWords(normal);
        const auto bounds = window.BoundsRect();
        const int width = bounds.Right - bounds.Left;
        const int height = bounds.Bottom - bounds.Top;
        auto& rect = placement.NormalPosition;
        rect.Left = location ? WordAsInteger(words, 0, bounds.Left) : bounds.Left;
        rect.Top = location ? WordAsInteger(words, 1, bounds.Top) : bounds.Top;
        if (size) {
            rect.Right = WordAsInteger(words, 2, width) + rect.Left - WordAsInteger(words, 0, bounds.Left);
            rect.Bottom = WordAsInteger(words, 3, height) + rect.Top - WordAsInteger(words, 1, bounds.Top);
        } else {
            rect.Right = rect.Left + width;
            rect.Bottom = rect.Top + height;
        }
    }

    if (dataFound) {
        const int pixelsPerInch = window.ScreenPixelsPerInch();
        dataFound = storage.GetInteger(ConcatPaths(path, "PixelsPerInch"), pixelsPerInch) == pixelsPerInch;
    }
    const auto& rect = placement.NormalPosition;
    if (dataFound && rect.Right > rect.Left && window.IsPointOnMonitor({rect.Left, rect.Top}) &&
        window.IsPointOnMonitor({rect.Right - 1, rect.Bottom - 1})) {
        KeepRestoredPosition(window, options);
        window.SetWindowPlacement(placement);
    }
}

TWindowState StateOfShowCmd(int showCmd, TWindowState defaultState) {
    switch (showCmd) {
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_RESTORE:
        return TWindowState::wsNormal;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        return TWindowState::wsMinimized;
    case SW_SHOWMAXIMIZED:
        return TWindowState::wsMaximized;
    default:
        return defaultState;
    }
}

// False when the whole application was minimised instead; the form is then left alone.
bool ReadState(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
               int currentShowCmd) {
    const auto style = window.FormStyle();
    const bool mdi = style == TFormStyle::fsMDIForm || style == TFormStyle::fsMDIChild;
    const bool defaultMaximized =
        (window.IsMainForm() && style == TFormStyle::fsMDIForm) ||
        (style == TFormStyle::fsNormal && window.Position() == TPosition::poDefault);
    const auto state = StateOfShowCmd(storage.GetInteger(ConcatPaths(path, "ShowCmd"), currentShowCmd),
                                      defaultMaximized ? TWindowState::wsMaximized : TWindowState::wsNormal);
    if (state == TWindowState::wsMinimized && window.IsMainForm()) {
        window.SetStoredWindowState(TWindowState::wsNormal);
        window.MinimizeApplication();
        return false;
    }
    if (mdi)
        window.SetStoredWindowState(state);
    else
        window.SetWindowState(state);
    return true;
}

} // namespace

void WriteWindowPlacement(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
                          const TPlacementOptions& options) {
    if (options.IsActiveControlOnly())
        return;
    InBatch(storage, [&] {
        auto placement = window.GetWindowPlacement();
        if (window.IsMainForm() && window.IsApplicationIconic())
            placement.ShowCmd = SW_SHOWMINIMIZED;
        if (window.FormStyle() == TFormStyle::fsMDIChild && window.WindowState() == TWindowState::wsMinimized)
            placement.Flags |= WPF_SETMINPOSITION;
        if (options.Contains(TPlacementOption::fpState))
            storage.PutInteger(ConcatPaths(path, "ShowCmd"), placement.ShowCmd);
        if (!options.HasGeometry())
            return;
        storage.PutInteger(ConcatPaths(path, "Flags"), placement.Flags);
        storage.PutInteger(ConcatPaths(path, "PixelsPerInch"), window.ScreenPixelsPerInch());
        const auto suffix = DesktopSuffix(window);
        const auto& min = placement.MinPosition;
        const auto& max = placement.MaxPosition;
        const auto minMax = FormatFour(min.X, min.Y, max.X, max.Y);
        storage.PutString(ConcatPaths(path, "MinMaxPos") + suffix, minMax);
        storage.PutString(ConcatPaths(path, "MinMaxPos"), minMax);
        const auto& rect = placement.NormalPosition;
        const auto normal = FormatFour(rect.Left, rect.Top, rect.Right, rect.Bottom);
        storage.PutString(ConcatPaths(path, "NormPos") + suffix, normal);
        storage.PutString(ConcatPaths(path, "NormPos"), normal);
    });
}

void ReadWindowPlacement(PlacementWindow& window, TAppIniFileStorage& storage, const std::string& path,
                         const TPlacementOptions& options) {
    if (options.IsActiveControlOnly())
        return;
    InBatch(storage, [&] {
        auto placement = window.GetWindowPlacement();
        const int currentShowCmd = placement.ShowCmd;
        if (!window.IsWindowVisible())
            placement.ShowCmd = SW_HIDE;
        if (options.HasGeometry())
            ReadGeometry(window, storage, path, options, placement);
        if (options.Contains(TPlacementOption::fpState) && !ReadState(window, storage, path, currentShowCmd))
            return;
        window.Repaint();
    });
}

} // namespace miran::settings
