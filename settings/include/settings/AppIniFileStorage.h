#pragma once

#include "settings/AppIniStorageOptions.h"
#include "settings/FileAge.h"
#include "settings/FileLocation.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace miran::settings {

class TIniContent;

// Settings kept in an ini file, addressed by backslash-separated value paths: the last element is the
// key, the rest the section; a bare key lives in DefaultSection. The whole file is held in memory.
// With AutoReload every access first reloads the file when its time stamp changed; with AutoFlush every
// write outside a batch rewrites the whole file. Missing values read as the caller's default; failed
// writes go to OnError only.
//
// The program's set-up:
//     IniFile.StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
//     IniFile.StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");
//     IniFile.SetAutoFlush(true);
//     IniFile.SetAutoReload(true);
//     IniFile.SetLocation(TFileLocation::flUserFolder);
//     IniFile.SetFileName("MIRAN\\MIRAN-ISP\\Miran-ISP-Up.ini"); //
//     ~/.config/MIRAN/MIRAN-ISP/Miran-ISP-Up.ini
//     ...
//     IniFile.SetDefaultSection("CONFIG");
//     const auto device = IniFile.GetString("DEVICE");
class TAppIniFileStorage {
public:
    TAppIniFileStorage();
    // Flushes once more when FlushOnDestroy is on.
    ~TAppIniFileStorage();
    TAppIniFileStorage(const TAppIniFileStorage&) = delete;
    TAppIniFileStorage& operator=(const TAppIniFileStorage&) = delete;

    // A name without extension gets ".ini". A change of file reloads (outside a batch).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    TFileLocation Location() const { return location_; }
    void SetLocation(TFileLocation location);
    const std::string& ResolvedFileName() const { return resolvedFileName_; }

    const std::string& DefaultSection() const { return defaultSection_; }
    void SetDefaultSection(const std::string& section) { defaultSection_ = section; }

    bool AutoFlush() const { return autoFlush_; }
    void SetAutoFlush(bool value) { autoFlush_ = value; }
    bool AutoReload() const { return autoReload_; }
    void SetAutoReload(bool value) { autoReload_ = value; }
    bool FlushOnDestroy() const { return flushOnDestroy_; }
    void SetFlushOnDestroy(bool value) { flushOnDestroy_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // Flush and reload under a lock shared with every other process using the same file.
    bool SynchronizeFlushReload() const { return synchronizeFlushReload_; }
    void SetSynchronizeFlushReload(bool value) { synchronizeFlushReload_ = value; }
    TAppIniStorageOptions& StorageOptions() { return options_; }

    // ReadOnly set, or at the last reload or file change the file could not be loaded or replaced: marked
    // read-only, in a read-only folder, no regular file or too large.
    bool IsReadOnly() const { return readOnly_ || readOnlyFile_; }

    // With flCustom, may replace the resolved file name.
    std::function<void(std::string& fileName)> OnGetFileName;
    // Receives the message of a failed flush, of a file that could not be loaded (which then counts as
    // read-only) and of a refused write.
    std::function<void(const std::string& message)> OnError;

    std::string GetString(std::string_view path, std::string_view defaultValue = {});
    // A line break that would reach the file (ReplaceCRLF off) refuses the write: OnError, nothing stored.
    void PutString(std::string_view path, std::string_view value);
    // An empty stored text reads as 0; other text that is no decimal integer throws EConvertError.
    int GetInteger(std::string_view path, int defaultValue = 0);
    void PutInteger(std::string_view path, int value);
    bool GetBoolean(std::string_view path, bool defaultValue = false);
    void PutBoolean(std::string_view path, bool value);
    bool HasValue(std::string_view path);
    // Removes the key, or when there is no such key, the section named by the whole path.
    void RemoveValue(std::string_view path);

    // Batches group accesses into one reload check and one write at the closing EndBatch.
    void BeginBatch();
    void EndBatch();

    void Flush();
    void Reload();

private:
    void ChangeFile(const std::string& fileName, TFileLocation location);
    std::string ComputeFileName(const std::string& fileName, TFileLocation location) const;
    std::optional<std::string> ReadValue(std::string_view path);
    void ReloadIfDue();
    void FlushIfDue();
    std::string DecodeValue(std::string_view stored) const;
    std::string EncodeValue(std::string_view value) const;

    std::string fileName_;
    TFileLocation location_ = TFileLocation::flExeFile;
    std::string resolvedFileName_;
    std::string defaultSection_;
    bool autoFlush_ = false;
    bool autoReload_ = false;
    bool flushOnDestroy_ = true;
    bool readOnly_ = false;
    bool synchronizeFlushReload_ = false;
    TAppIniStorageOptions options_;

    std::unique_ptr<TIniContent> content_;
    bool fileLoaded_ = false;
    // The file's age at the last reload; none before the first one.
    std::optional<TFileAge> loadedFileAge_;
    bool readOnlyFile_ = false;
    int batchDepth_ = 0;
};

} // namespace miran::settings
