#include "settings/AppIniFileStorage.h"

#include "SettingsTestSupport.h"
#include "settings/StorageErrors.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace miran::settings {
namespace {

namespace fs = std::filesystem;

class AppIniFileStorageTest : public testing::SettingsFolderTest {
protected:
    // A storage set up as the program's, with DefaultSection "CONFIG" and its errors collected.
    std::unique_ptr<TAppIniFileStorage> Open() {
        auto storage = std::make_unique<TAppIniFileStorage>();
        ConfigureLikeProgram(*storage);
        storage->SetDefaultSection("CONFIG");
        storage->OnError = [this](const std::string& message) { errors_.push_back(message); };
        return storage;
    }

    std::vector<std::string> errors_;
};

TEST_F(AppIniFileStorageTest, FirstRunCreatesFoldersAndAnEmptyFile) {
    auto storage = Open();
    EXPECT_EQ(storage->ResolvedFileName(), IniPath().string());
    EXPECT_FALSE(fs::exists(ConfigFolder() / "MIRAN"));

    // The window's first show restores the placement inside a batch; its end flushes.
    storage->BeginBatch();
    EXPECT_EQ(storage->GetInteger("Main\\FormVersion", 0), 0);
    storage->EndBatch();

    ASSERT_TRUE(fs::is_regular_file(IniPath()));
    EXPECT_EQ(ReadBytes(IniPath()), "");
    EXPECT_EQ(storage->GetString("DEVICE"), "");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(AppIniFileStorageTest, FileAfterFirstRunAndCloseIsExact) {
    {
        auto storage = Open();
        storage->BeginBatch();
        storage->EndBatch();
        EXPECT_EQ(storage->GetString("DEVICE"), "");
        storage->BeginBatch();
        storage->PutInteger("Main\\FormVersion", 0);
        storage->PutInteger("Main\\ShowCmd", 1);
        storage->PutInteger("Main\\Flags", 0);
        storage->PutInteger("Main\\PixelsPerInch", 96);
        storage->PutString("Main\\MinMaxPos(1920x1080)", "-1,-1,-8,-8");
        storage->PutString("Main\\MinMaxPos", "-1,-1,-8,-8");
        storage->PutString("Main\\NormPos(1920x1080)", "100,120,600,420");
        storage->PutString("Main\\NormPos", "100,120,600,420");
        storage->EndBatch();
        storage->SetDefaultSection("CONFIG");
        storage->PutString("DEVICE", "MIRAN-0042");
    }
    EXPECT_EQ(ReadBytes(IniPath()), "[Main]\r\n"
                                    "FormVersion=0\r\n"
                                    "ShowCmd=1\r\n"
                                    "Flags=0\r\n"
                                    "PixelsPerInch=96\r\n"
                                    "MinMaxPos(1920x1080)=-1,-1,-8,-8\r\n"
                                    "MinMaxPos=-1,-1,-8,-8\r\n"
                                    "NormPos(1920x1080)=100,120,600,420\r\n"
                                    "NormPos=100,120,600,420\r\n"
                                    "\r\n"
                                    "[CONFIG]\r\n"
                                    "DEVICE=MIRAN-0042\r\n"
                                    "\r\n");
}

TEST_F(AppIniFileStorageTest, LowerCaseSectionAndKeyWithBlanksReadBackTrimmed) {
    WriteExternally(IniPath(), "[config]\r\n  device  =  ABC 123   \r\n");
    EXPECT_EQ(Open()->GetString("DEVICE", "none"), "ABC 123");
}

TEST_F(AppIniFileStorageTest, ReadsAHandWrittenIniFile) {
    WriteExternally(IniPath(), "# MIRAN settings\n"
                               "\n"
                               "[CONFIG]\n"
                               "DEVICE = MIRAN 0042\n"
                               "\n"
                               "; the main window\n"
                               "[ Main ]\n"
                               "\tShowCmd=3\n"
                               "NormPos = 1, 2, 3, 4\n"
                               "Empty =\n");
    auto storage = Open();
    EXPECT_EQ(storage->GetString("DEVICE"), "MIRAN 0042");
    EXPECT_EQ(storage->GetInteger("Main\\ShowCmd", 0), 3);
    EXPECT_EQ(storage->GetString("Main\\NormPos"), "1, 2, 3, 4");
    EXPECT_EQ(storage->GetString("Main\\Empty", "x"), "");
    storage->Flush();
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=MIRAN 0042\r\n\r\n"
                                    "[Main]\r\nShowCmd=3\r\nNormPos=1, 2, 3, 4\r\nEmpty=\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, EmptyValueIsStoredAndReadAsEmptyNotDefault) {
    Open()->PutString("DEVICE", "");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=\r\n\r\n");
    auto storage = Open();
    EXPECT_TRUE(storage->HasValue("DEVICE"));
    EXPECT_EQ(storage->GetString("DEVICE", "default"), "");
    EXPECT_EQ(storage->GetInteger("DEVICE", 7), 0);
}

TEST_F(AppIniFileStorageTest, LineBreakIsRefusedSoTheFileGainsNoLine) {
    auto storage = Open();
    storage->PutString("DEVICE", "A");
    const auto before = ReadBytes(IniPath());
    // A device's serial text goes into DEVICE unchecked; written raw, it could add sections.
    const struct {
        std::string path;
        std::string value;
        std::string message;
    } cases[] = {
        {"DEVICE", "first\r\nsecond", "Not stored \"CONFIG\\DEVICE\": it holds a line break"},
        {"DEVICE", "X\n[Main]\nNormPos=0,0,10,10", "Not stored \"CONFIG\\DEVICE\": it holds a line break"},
        {"DEVICE", "X\r[Main]", "Not stored \"CONFIG\\DEVICE\": it holds a line break"},
        {"DEVICE", "\n", "Not stored \"CONFIG\\DEVICE\": it holds a line break"},
        {"Main]\r\n[CONFIG\\Key", "1", "Not stored \"Main]\r\n[CONFIG\\Key\": it holds a line break"},
        {"Key\nX", "1", "Not stored \"CONFIG\\Key\nX\": it holds a line break"},
    };
    for (const auto& c : cases) {
        errors_.clear();
        storage->PutString(c.path, c.value);
        EXPECT_EQ(ReadBytes(IniPath()), before) << c.value;
        EXPECT_EQ(storage->GetString("DEVICE"), "A") << c.value;
        EXPECT_EQ(errors_, std::vector<std::string>{c.message}) << c.value;
    }
    // Refused also inside a batch, where nothing is flushed at once.
    storage->BeginBatch();
    storage->PutString("DEVICE", "B\r\n[Main]");
    storage->EndBatch();
    EXPECT_EQ(ReadBytes(IniPath()), before);
}

TEST_F(AppIniFileStorageTest, ByteOrderMarkIsSkippedAndTheFirstSectionKept) {
    WriteExternally(IniPath(), "\xEF\xBB\xBF[CONFIG]\r\nDEVICE=A\r\n[Main]\r\nShowCmd=1\r\n");
    auto storage = Open();
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
    storage->PutString("Main\\ShowCmd", "3");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=A\r\n\r\n[Main]\r\nShowCmd=3\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, BlanksAroundAValueAreWrittenButTrimmedOnReload) {
    auto storage = Open();
    storage->SetAutoReload(false);
    storage->PutString("DEVICE", "  padded  ");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=  padded  \r\n\r\n");
    EXPECT_EQ(storage->GetString("DEVICE"), "  padded  ");
    EXPECT_EQ(Open()->GetString("DEVICE"), "padded");
}

TEST_F(AppIniFileStorageTest, CommentsAndLinesBeforeTheFirstSectionVanishAtTheNextFlush) {
    WriteExternally(IniPath(),
                    "; settings\r\nstray=1\r\n\r\n[CONFIG]\r\n; the device\r\nDEVICE=A\r\nloose text\r\n");
    Open()->PutString("DEVICE", "B");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=B\r\nloose text\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, ExternalEditIsPickedUpAtTheNextAccess) {
    auto storage = Open();
    storage->PutString("DEVICE", "A");
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=B\r\n");
    EXPECT_EQ(storage->GetString("DEVICE"), "B");

    // Written within the same clock tick: the modification time alone does not tell.
    const auto sameTime = fs::last_write_time(IniPath());
    { std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << "[CONFIG]\r\nDEVICE=B2\r\n"; }
    fs::last_write_time(IniPath(), sameTime);
    EXPECT_EQ(storage->GetString("DEVICE"), "B2");

    // Last writer wins for the whole file: our write starts from the other program's content.
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=C\r\n[Other]\r\nKey=1\r\n");
    storage->PutString("Main\\ShowCmd", "1");
    EXPECT_EQ(ReadBytes(IniPath()),
              "[CONFIG]\r\nDEVICE=C\r\n\r\n[Other]\r\nKey=1\r\n\r\n[Main]\r\nShowCmd=1\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, WithoutAutoReloadOnlyTheFirstAccessLoads) {
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=A\r\n");
    auto storage = Open();
    storage->SetAutoReload(false);
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=B\r\n");
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
}

TEST_F(AppIniFileStorageTest, ReadOnlyFileIsLeftUntouchedSilently) {
    const std::string original = "[CONFIG]\r\nDEVICE=A\r\n";
    WriteExternally(IniPath(), original);
    fs::permissions(IniPath(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    {
        auto storage = Open();
        EXPECT_TRUE(storage->IsReadOnly());
        storage->BeginBatch();
        storage->PutString("Main\\ShowCmd", "1");
        storage->EndBatch();
        storage->PutString("DEVICE", "B");
        EXPECT_EQ(storage->GetString("DEVICE"), "A");
        storage->Flush();
    }
    EXPECT_EQ(ReadBytes(IniPath()), original);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(AppIniFileStorageTest, ReadOnlyPropertySkipsWritesAndFlushes) {
    auto storage = Open();
    storage->SetReadOnly(true);
    storage->PutString("DEVICE", "A");
    storage->RemoveValue("DEVICE");
    storage->Flush();
    EXPECT_FALSE(storage->HasValue("DEVICE"));
    EXPECT_FALSE(fs::exists(IniPath()));
}

TEST_F(AppIniFileStorageTest, PathVariantsAddressTheSameKey) {
    auto storage = Open();
    storage->PutString("\\CONFIG\\\\DEVICE\\", "A");
    for (const char* path :
         {"DEVICE", "\\DEVICE", "device", "CONFIG\\DEVICE", "\\\\config\\\\Device", "X\\..\\DEVICE"})
        EXPECT_EQ(storage->GetString(path), "A") << path;
    storage->PutString("Main\\\\NormPos\\", "1,2,3,4");
    EXPECT_EQ(storage->GetString("\\Main\\NormPos"), "1,2,3,4");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=A\r\n\r\n[Main]\r\nNormPos=1,2,3,4\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, RewritingAKeyKeepsItsPlaceAndNewKeysGoLast) {
    WriteExternally(IniPath(), "[B]\r\nx=1\r\ny=2\r\n[A]\r\nz=3\r\n");
    auto storage = Open();
    storage->PutString("b\\X", "10");
    storage->PutString("A\\w", "4");
    storage->PutString("C\\v", "5");
    EXPECT_EQ(ReadBytes(IniPath()), "[B]\r\nX=10\r\ny=2\r\n\r\n[A]\r\nz=3\r\nw=4\r\n\r\n[C]\r\nv=5\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, SectionUndefinedWithoutDefaultSection) {
    auto storage = Open();
    storage->SetDefaultSection("");
    try {
        storage->GetString("DEVICE");
        FAIL();
    } catch (const EAppStorageError& error) {
        EXPECT_STREQ(error.what(), "TAppIniFileStorage.ReadValue: Section undefined");
    }
    EXPECT_THROW(storage->PutString("DEVICE", "A"), EComponentError);
}

TEST_F(AppIniFileStorageTest, IntegersConvertOrRaise) {
    WriteExternally(IniPath(), "[CONFIG]\r\nplain=42\r\nnegative=-17\r\nplus=+5\r\nempty=\r\nword=abc\r\n"
                               "big=99999999999\r\nhex=$1F\r\n");
    auto storage = Open();
    EXPECT_EQ(storage->GetInteger("plain", 1), 42);
    EXPECT_EQ(storage->GetInteger("negative", 1), -17);
    EXPECT_EQ(storage->GetInteger("plus", 1), 5);
    EXPECT_EQ(storage->GetInteger("empty", 1), 0);
    EXPECT_EQ(storage->GetInteger("absent", 1), 1);
    for (const char* bad : {"word", "big", "hex"}) {
        try {
            storage->GetInteger(bad, 1);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.what(), "'" + storage->GetString(bad) + "' is not a valid integer value");
        }
    }
    storage->PutInteger("Main\\ShowCmd", -2147483647 - 1);
    EXPECT_EQ(storage->GetString("Main\\ShowCmd"), "-2147483648");
}

TEST_F(AppIniFileStorageTest, BooleansUseTheWordLists) {
    WriteExternally(IniPath(), "[CONFIG]\r\na=yes\r\nb=n\r\nc=2\r\nd=0\r\ne=maybe\r\n");
    auto storage = Open();
    EXPECT_TRUE(storage->GetBoolean("a", false));
    EXPECT_FALSE(storage->GetBoolean("b", true));
    EXPECT_TRUE(storage->GetBoolean("c", false));
    EXPECT_FALSE(storage->GetBoolean("d", true));
    EXPECT_TRUE(storage->GetBoolean("absent", true));
    EXPECT_THROW(storage->GetBoolean("e", true), EConvertError);

    storage->PutBoolean("t", true);
    storage->PutBoolean("f", false);
    EXPECT_EQ(storage->GetString("t"), "TRUE");
    EXPECT_EQ(storage->GetString("f"), "FALSE");

    storage->StorageOptions().SetBooleanStringTrueValues("");
    EXPECT_FALSE(storage->StorageOptions().BooleanAsString());
    storage->StorageOptions().SetBooleanAsString(true);
    EXPECT_FALSE(storage->StorageOptions().BooleanAsString());
    storage->PutBoolean("t", true);
    EXPECT_EQ(storage->GetString("t"), "1");
}

TEST_F(AppIniFileStorageTest, BatchWritesTheFileOnceAtItsEnd) {
    auto storage = Open();
    storage->BeginBatch();
    storage->BeginBatch();
    storage->PutString("DEVICE", "A");
    storage->EndBatch();
    EXPECT_FALSE(fs::exists(IniPath()));
    // Inside a batch an external edit is not loaded: the batch works on one snapshot.
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=B\r\n");
    EXPECT_EQ(storage->GetString("DEVICE"), "A");
    storage->EndBatch();
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=A\r\n\r\n");

    // An unmatched end is harmless: the depth stays at zero and writes flush at once.
    storage->EndBatch();
    storage->PutString("DEVICE", "C");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nDEVICE=C\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, RemoveValueRemovesTheKeyOrElseTheSectionNamedByThePath) {
    WriteExternally(IniPath(), "[CONFIG]\r\nDEVICE=A\r\nOTHER=B\r\n[Main]\r\nShowCmd=1\r\n");
    auto storage = Open();
    storage->RemoveValue("DEVICE");
    storage->RemoveValue("Main");
    EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nOTHER=B\r\n\r\n");
}

TEST_F(AppIniFileStorageTest, FileNameGetsTheIniExtensionAndSwitchingFilesReloads) {
    WriteExternally(ConfigFolder() / "MIRAN" / "other.ini", "[CONFIG]\r\nDEVICE=other\r\n");
    auto storage = Open();
    storage->PutString("DEVICE", "A");
    storage->SetFileName("MIRAN\\other");
    EXPECT_EQ(storage->FileName(), "MIRAN\\other.ini");
    EXPECT_EQ(storage->ResolvedFileName(), (ConfigFolder() / "MIRAN" / "other.ini").string());
    EXPECT_EQ(storage->GetString("DEVICE"), "other");
    storage->SetFileName("MIRAN\\noext.");
    EXPECT_EQ(storage->FileName(), "MIRAN\\noext.");
}

TEST_F(AppIniFileStorageTest, ResolvesEachLocation) {
    TAppIniFileStorage storage;
    storage.SetFlushOnDestroy(false);
    const auto resolved = [&](TFileLocation location, const std::string& name) {
        storage.SetLocation(location);
        storage.SetFileName(name);
        return storage.ResolvedFileName();
    };
    const auto exeFolder = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(resolved(TFileLocation::flUserFolder, "A\\B\\c.ini"),
              (ConfigFolder() / "A" / "B" / "c.ini").string());
    EXPECT_EQ(resolved(TFileLocation::flUserFolder, "\\abs\\d.ini"), (ConfigFolder() / "d.ini").string());
    EXPECT_EQ(resolved(TFileLocation::flTemp, "A\\e.ini"), (Root() / "tmp" / "e.ini").string());
    EXPECT_EQ(resolved(TFileLocation::flExeFile, "A\\f.ini"), (exeFolder / "f.ini").string());
    EXPECT_EQ(resolved(TFileLocation::flWindows, "A\\g.ini"), "/etc/g.ini");
    EXPECT_EQ(resolved(TFileLocation::flCustom, "\\var\\h.ini"), "/var/h.ini");
    EXPECT_EQ(resolved(TFileLocation::flUserFolder, ""), "");

    storage.OnGetFileName = [](std::string& name) { name += ".custom"; };
    EXPECT_EQ(resolved(TFileLocation::flCustom, "\\var\\i.ini"), "/var/i.ini.custom");
}

TEST_F(AppIniFileStorageTest, UserFolderFallsBackToHomeConfig) {
    for (const char* configHome : {"relative/config", ""}) {
        ::setenv("XDG_CONFIG_HOME", configHome, 1);
        TAppIniFileStorage storage;
        storage.SetLocation(TFileLocation::flUserFolder);
        storage.SetFileName("MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini");
        EXPECT_EQ(storage.ResolvedFileName(),
                  (Root() / "home" / ".config/MIRAN/MIRAN-ISP/Miran-ISP-Up.ini").string());
    }
}

TEST_F(AppIniFileStorageTest, OptionalEscapesRoundTrip) {
    const auto openEscaping = [this] {
        auto storage = Open();
        storage->StorageOptions().SetReplaceCRLF(true);
        storage->StorageOptions().SetPreserveLeadingTrailingBlanks(true);
        return storage;
    };
    const struct {
        std::string value;
        std::string stored;
        std::string readBack;
    } cases[] = {
        {"a\\b", "a\\b", "a\\b"},
        {"a\r\nb\nc\rd\\e", "a\\nb\\nc\\nd\\\\e", "a\r\nb\r\nc\r\nd\\e"},
        {" padded ", "\" padded \"", " padded "},
        {"\"quoted\"", "\"\"quoted\"\"", "\"quoted\""},
        {"", "", ""},
    };
    auto storage = openEscaping();
    for (const auto& c : cases) {
        storage->PutString("value", c.value);
        EXPECT_EQ(ReadBytes(IniPath()), "[CONFIG]\r\nvalue=" + c.stored + "\r\n\r\n") << c.value;
        EXPECT_EQ(openEscaping()->GetString("value"), c.readBack) << c.value;
    }
}

} // namespace
} // namespace miran::settings
