#include "settings/FormPlacement.h"

#include "FakePlacementWindow.h"
#include "SettingsTestSupport.h"
#include "settings/AppIniFileStorage.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace miran::settings {
namespace {

namespace fs = std::filesystem;
using testing::FakePlacementWindow;
using testing::FileWriteCounter;
using enum TPlacementOption;

std::string StoredPlacement(const std::string& normPos, int showCmd = 1, int pixelsPerInch = 96,
                            int formVersion = 0) {
    return "[Main]\r\nFormVersion=" + std::to_string(formVersion) + "\r\nShowCmd=" + std::to_string(showCmd) +
           "\r\nFlags=0\r\nPixelsPerInch=" + std::to_string(pixelsPerInch) +
           "\r\nMinMaxPos(1920x1080)=-1,-1,-1,-2\r\nMinMaxPos=-1,-1,-1,-2\r\nNormPos(1920x1080)=" + normPos +
           "\r\nNormPos=" + normPos + "\r\n\r\n";
}

class FormPlacementTest : public testing::SettingsFolderTest {
protected:
    // One run of the program: its ini storage, its main window and the placement component bound to
    // both, with the window's own handlers logging and using the storage as the program does.
    struct ProgramRun {
        ProgramRun() {
            ConfigureLikeProgram(IniFile);
            Main.events.OnShow = [this] {
                log.push_back("FormShow");
                IniFile.SetDefaultSection("CONFIG");
                device = IniFile.GetString("DEVICE");
            };
            Main.events.OnCloseQuery = [this](bool&) { log.push_back("FormCloseQuery"); };
            Main.events.OnDestroy = [this] { log.push_back("FormDestroy"); };
            FormStorage1.SetAppStorage(&IniFile);
            FormStorage1.SetAppStoragePath("Main\\");
            FormStorage1.SetOptions({fpState, fpLocation});
            FormStorage1.BeforeRestorePlacement = [this] { log.push_back("restore"); };
            FormStorage1.BeforeSavePlacement = [this] { log.push_back("save"); };
            FormStorage1.Loaded();
        }

        void Close(const std::string& deviceText) {
            if (Main.CloseQuery()) {
                IniFile.SetDefaultSection("CONFIG");
                IniFile.PutString("DEVICE", deviceText);
            }
            Main.Destroy();
        }

        TAppIniFileStorage IniFile;
        FakePlacementWindow Main;
        TFormStorage FormStorage1{Main};
        std::vector<std::string> log;
        std::string device;
    };
};

TEST_F(FormPlacementTest, FirstRunShowsTheWindowAsDesignedAndCreatesAnEmptyFile) {
    ProgramRun run;
    run.Main.Show();
    EXPECT_TRUE(fs::is_regular_file(IniPath()));
    EXPECT_EQ(ReadBytes(IniPath()), "");
    EXPECT_EQ(run.Main.position, TPosition::poDesktopCenter);
    EXPECT_EQ(run.Main.windowState, TWindowState::wsNormal);
    EXPECT_EQ(run.Main.placement.NormalPosition, (TRect{660, 390, 1260, 690}));
    // Only the maximised position was adjusted, without showing the hidden window.
    ASSERT_EQ(run.Main.appliedPlacements.size(), 1u);
    EXPECT_EQ(run.Main.appliedPlacements[0].ShowCmd, SW_HIDE);
    EXPECT_EQ(run.Main.appliedPlacements[0].MaxPosition, (TPoint{-1, -2}));
    EXPECT_EQ(run.log, (std::vector<std::string>{"restore", "FormShow"}));
    EXPECT_EQ(run.device, "");
}

TEST_F(FormPlacementTest, CloseWritesThePlacementKeysInOrderWithOneFileWrite) {
    {
        ProgramRun run;
        run.Main.Show();
        run.Main.placement.NormalPosition = {100, 120, 700, 420};
        FileWriteCounter writes(IniPath());
        ASSERT_TRUE(run.Main.CloseQuery());
        EXPECT_EQ(writes.TakeCount(), 1);
        EXPECT_EQ(ReadBytes(IniPath()), StoredPlacement("100,120,700,420"));

        run.IniFile.SetDefaultSection("CONFIG");
        run.IniFile.PutString("DEVICE", "0042");
        EXPECT_EQ(writes.TakeCount(), 1);
        run.Main.Destroy();
        EXPECT_EQ(writes.TakeCount(), 0);
        EXPECT_EQ(run.log,
                  (std::vector<std::string>{"restore", "FormShow", "FormCloseQuery", "save", "FormDestroy"}));
    }
    EXPECT_EQ(ReadBytes(IniPath()), StoredPlacement("100,120,700,420") + "[CONFIG]\r\nDEVICE=0042\r\n\r\n");
}

TEST_F(FormPlacementTest, RestartPutsTheWindowAtTheSavedPlaceWithItsDesignedSize) {
    WriteExternally(IniPath(), StoredPlacement("100,120,900,620") + "[CONFIG]\r\nDEVICE=0042\r\n");
    ProgramRun run;
    run.Main.Show();
    EXPECT_EQ(run.Main.placement.NormalPosition, (TRect{100, 120, 700, 420}));
    EXPECT_EQ(run.Main.position, TPosition::poDesigned);
    EXPECT_EQ(run.Main.shownStates, std::vector<TWindowState>{TWindowState::wsNormal});
    EXPECT_EQ(run.Main.appliedPlacements.front().ShowCmd, SW_HIDE);
    EXPECT_EQ(run.device, "0042");
}

TEST_F(FormPlacementTest, RectangleIsRestoredOnlyWhereItFits) {
    const TRect designed{660, 390, 1260, 690};
    const TRect secondMonitor{1920, 0, 3840, 1080};
    const struct {
        const char* why;
        std::string stored;
        std::vector<TRect> extraMonitors;
        TRect expected;
    } cases[] = {
        {"left beyond the desktop", StoredPlacement("5000,120,5600,420"), {}, designed},
        {"bottom right beyond the desktop", StoredPlacement("1800,120,2400,420"), {}, designed},
        {"above the desktop", StoredPlacement("100,-400,700,-100"), {}, designed},
        {"other pixels per inch", StoredPlacement("100,120,700,420", 3, 120), {}, designed},
        {"across two monitors",
         StoredPlacement("1700,120,2300,420"),
         {secondMonitor},
         {1700, 120, 2300, 420}},
        {"other desktop size",
         "[Main]\r\nNormPos(1280x1024)=10,20,30,40\r\nNormPos=200,220,0,0\r\n",
         {},
         {200, 220, 800, 520}},
        {"same desktop size",
         "[Main]\r\nNormPos(1920x1080)=10,20,30,40\r\nNormPos=200,220,0,0\r\n",
         {},
         {10, 20, 610, 320}},
        {"non-numeric words", "[Main]\r\nNormPos=left,220 , ,\r\n", {}, {660, 220, 1260, 520}},
    };
    for (const auto& c : cases) {
        WriteExternally(IniPath(), c.stored);
        ProgramRun run;
        run.Main.monitors.insert(run.Main.monitors.end(), c.extraMonitors.begin(), c.extraMonitors.end());
        run.Main.Show();
        EXPECT_EQ(run.Main.placement.NormalPosition, c.expected) << c.why;
        EXPECT_EQ(run.Main.position,
                  c.expected == designed ? TPosition::poDesktopCenter : TPosition::poDesigned)
            << c.why;
    }
    // A rectangle that does not fit leaves the show state restored all the same.
    WriteExternally(IniPath(), StoredPlacement("5000,120,5600,420", 3));
    ProgramRun run;
    run.Main.Show();
    EXPECT_EQ(run.Main.shownStates, std::vector<TWindowState>{TWindowState::wsMaximized});
}

TEST_F(FormPlacementTest, MinimisedAtCloseStartsTheApplicationMinimised) {
    {
        ProgramRun run;
        run.Main.Show();
        run.Main.applicationIconic = true;
        run.Close("0042");
    }
    EXPECT_NE(ReadBytes(IniPath()).find("ShowCmd=2\r\n"), std::string::npos);

    ProgramRun run;
    run.Main.Show();
    EXPECT_TRUE(run.Main.applicationMinimized);
    EXPECT_TRUE(run.Main.shownStates.empty());
    EXPECT_EQ(run.Main.windowState, TWindowState::wsNormal);
    EXPECT_EQ(run.Main.repaints, 0);
    // The restore's batch is closed: a write reaches the file at once.
    run.IniFile.PutString("DEVICE", "0043");
    EXPECT_NE(ReadBytes(IniPath()).find("DEVICE=0043"), std::string::npos);
}

TEST_F(FormPlacementTest, ShowCommandsMapToWindowStates) {
    const struct {
        int showCmd;
        TWindowState state;
    } cases[] = {
        {1, TWindowState::wsNormal},    {5, TWindowState::wsNormal},  {9, TWindowState::wsNormal},
        {3, TWindowState::wsMaximized}, {0, TWindowState::wsNormal},  {4, TWindowState::wsNormal},
        {8, TWindowState::wsNormal},    {42, TWindowState::wsNormal},
    };
    for (const auto& c : cases) {
        WriteExternally(IniPath(), "[Main]\r\nShowCmd=" + std::to_string(c.showCmd) + "\r\n");
        ProgramRun run;
        run.Main.Show();
        EXPECT_EQ(run.Main.shownStates, std::vector<TWindowState>{c.state}) << c.showCmd;
    }
    for (const int minimised : {2, 6, 7}) {
        WriteExternally(IniPath(), "[Main]\r\nShowCmd=" + std::to_string(minimised) + "\r\n");
        ProgramRun run;
        run.Main.Show();
        EXPECT_TRUE(run.Main.applicationMinimized) << minimised;
    }
}

TEST_F(FormPlacementTest, NegativeFormVersionSkipsTheWholeRestore) {
    WriteExternally(IniPath(), StoredPlacement("100,120,700,420", 3, 96, -1));
    ProgramRun run;
    run.Main.Show();
    EXPECT_EQ(run.Main.placement.NormalPosition, (TRect{660, 390, 1260, 690}));
    EXPECT_TRUE(run.Main.shownStates.empty());
    EXPECT_EQ(run.log, std::vector<std::string>{"FormShow"});
    // The window still counts as restored: closing writes its placement.
    run.Main.placement.NormalPosition = {10, 20, 610, 320};
    run.Main.CloseQuery();
    EXPECT_EQ(ReadBytes(IniPath()), StoredPlacement("10,20,610,320"));
}

TEST_F(FormPlacementTest, WindowNeverShownWritesFormVersionOnly) {
    {
        ProgramRun run;
        run.Main.Destroy();
    }
    EXPECT_EQ(ReadBytes(IniPath()), "[Main]\r\nFormVersion=0\r\n\r\n");
}

TEST_F(FormPlacementTest, BadIntegerEndsTheRestoreButTheWindowIsStillShown) {
    WriteExternally(IniPath(), "[Main]\r\nShowCmd=abc\r\n");
    ProgramRun run;
    run.Main.Show();
    EXPECT_EQ(run.Main.exceptions, std::vector<std::string>{"'abc' is not a valid integer value"});
    EXPECT_EQ(run.log, (std::vector<std::string>{"restore", "FormShow"}));
    EXPECT_FALSE(run.FormStorage1.RestoreDone());
    run.Main.CloseQuery();
    EXPECT_EQ(ReadBytes(IniPath()), "[Main]\r\nShowCmd=abc\r\nFormVersion=0\r\n\r\n");
}

TEST_F(FormPlacementTest, RefusedCloseSavesNothing) {
    TAppIniFileStorage storage;
    ConfigureLikeProgram(storage);
    FakePlacementWindow window;
    window.events.OnCloseQuery = [](bool& canClose) { canClose = false; };
    TFormStorage placement(window);
    placement.SetAppStorage(&storage);
    placement.Loaded();
    window.Show();
    EXPECT_FALSE(window.CloseQuery());
    EXPECT_FALSE(placement.SaveDone());
    EXPECT_EQ(ReadBytes(IniPath()), "");
}

TEST_F(FormPlacementTest, DestructionPutsThePreviousHandlersBack) {
    FakePlacementWindow window;
    int shows = 0;
    window.events.OnShow = [&] { ++shows; };
    {
        TFormStorage storage(window);
        storage.Loaded();
        window.Show();
        EXPECT_EQ(shows, 1);
        EXPECT_FALSE(window.events.OnCloseQuery == nullptr);
    }
    EXPECT_TRUE(window.events.OnCloseQuery == nullptr);
    EXPECT_TRUE(window.events.OnDestroy == nullptr);
    window.Show();
    EXPECT_EQ(shows, 2);
}

TEST_F(FormPlacementTest, MaximisedPositionHidesTheBorderOfEachStyle) {
    const struct {
        TFormBorderStyle style;
        TPoint maxPosition;
    } cases[] = {
        {TFormBorderStyle::bsSingle, {-1, -2}},      {TFormBorderStyle::bsToolWindow, {-1, -2}},
        {TFormBorderStyle::bsDialog, {-3, -4}},      {TFormBorderStyle::bsSizeable, {-5, -6}},
        {TFormBorderStyle::bsSizeToolWin, {-5, -6}}, {TFormBorderStyle::bsNone, {0, 0}},
    };
    for (const auto& c : cases) {
        FakePlacementWindow window;
        window.borderStyle = c.style;
        window.visible = true;
        window.windowState = TWindowState::wsMaximized;
        TFormStorage storage(window);
        storage.AdjustMaximizedPosition();
        ASSERT_EQ(window.appliedPlacements.size(), 1u);
        EXPECT_EQ(window.appliedPlacements[0].MaxPosition, c.maxPosition);
        EXPECT_EQ(window.appliedPlacements[0].ShowCmd, SW_SHOWMAXIMIZED);
    }
}

TEST_F(FormPlacementTest, SizeAndLocationRestoreTheStoredRectangle) {
    TAppIniFileStorage storage;
    ConfigureLikeProgram(storage);
    WriteExternally(IniPath(), "[Main]\r\nMinMaxPos=7,8,-5,-6\r\nNormPos=100,120,900,620\r\nFlags=1\r\n");
    const struct {
        TPlacementOptions options;
        TPosition before;
        TPosition after;
        TRect rect;
    } cases[] = {
        {{fpSize, fpLocation}, TPosition::poDefault, TPosition::poDesigned, {100, 120, 900, 620}},
        {{fpSize}, TPosition::poDefault, TPosition::poDefaultPosOnly, {660, 390, 1460, 890}},
        {{fpSize}, TPosition::poDesktopCenter, TPosition::poDesktopCenter, {660, 390, 1460, 890}},
        {{fpLocation}, TPosition::poDefault, TPosition::poDefaultSizeOnly, {100, 120, 700, 420}},
        {{fpLocation}, TPosition::poDesigned, TPosition::poDesigned, {100, 120, 700, 420}},
    };
    for (const auto& c : cases) {
        FakePlacementWindow window;
        window.position = c.before;
        ReadWindowPlacement(window, storage, "Main\\", c.options);
        EXPECT_EQ(window.position, c.after);
        ASSERT_EQ(window.appliedPlacements.size(), 1u);
        const auto& applied = window.appliedPlacements[0];
        EXPECT_EQ(applied.NormalPosition, c.rect);
        EXPECT_EQ(applied.Flags, 1);
        EXPECT_EQ(applied.MinPosition, (c.options.Contains(fpLocation) ? TPoint{7, 8} : TPoint{-1, -1}));
        EXPECT_EQ(applied.MaxPosition, (c.options.Contains(fpSize) ? TPoint{-5, -6} : TPoint{}));
    }
}

TEST_F(FormPlacementTest, ActiveControlIsStoredAndFocusedAgain) {
    {
        ProgramRun run;
        run.FormStorage1.SetOptions({fpActiveControl});
        run.Main.Show();
        run.Main.activeControl = "cbDevices";
        run.Close("");
    }
    EXPECT_EQ(ReadBytes(IniPath()),
              "[Main]\r\nFormVersion=0\r\nActiveControl=cbDevices\r\n\r\n[CONFIG]\r\nDEVICE=\r\n\r\n");
    ProgramRun run;
    run.FormStorage1.SetOptions({fpActiveControl});
    run.Main.Show();
    EXPECT_EQ(run.Main.focused, "cbDevices");
    EXPECT_TRUE(run.Main.appliedPlacements.size() == 1u); // only the maximised position
}

TEST_F(FormPlacementTest, FormNamePlaceholderNamesTheSection) {
    TAppIniFileStorage storage;
    ConfigureLikeProgram(storage);
    FakePlacementWindow window;
    TFormStorage placement(window);
    EXPECT_EQ(placement.AppStoragePath(), "%FORM_NAME%");
    placement.SetAppStorage(&storage);
    placement.Loaded();
    EXPECT_EQ(placement.AppStoragePath(), "Main");
    placement.SetAppStoragePath("Forms\\%FORM_NAME%");
    placement.SetVersion(3);
    placement.StorePlacement();
    EXPECT_EQ(ReadBytes(IniPath()), "[Forms\\Main]\r\nFormVersion=3\r\n\r\n");
}

} // namespace
} // namespace miran::settings
