#include "settings/AppIniFileStorage.h"

#include "FileSystem.h"
#include "IniContent.h"
#include "NamedLock.h"
#include "Text.h"
#include "settings/FileAge.h"
#include "settings/StorageErrors.h"
#include "settings/ValuePath.h"

#include <optional>

namespace miran::settings {

namespace {

std::string WithIniExtension(const std::string& fileName) {
    const auto lastSegment = fileName.find_last_of("\\/") + 1;
    if (fileName.empty() || fileName.find('.', lastSegment) != std::string::npos)
        return fileName;
    return fileName + ".ini";
}

std::unique_ptr<TNamedLock> LockIf(bool synchronize, const std::string& resolvedFileName) {
    return synchronize ? std::make_unique<TNamedLock>(resolvedFileName) : nullptr;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

int IntegerOf(const std::string& text) {
    if (text.empty())
        return 0;
    if (const auto value = ParseInteger(text))
        return *value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

} // namespace

TAppIniFileStorage::TAppIniFileStorage() : content_(std::make_unique<TIniContent>()) {}

TAppIniFileStorage::~TAppIniFileStorage() {
    if (!flushOnDestroy_)
        return;
    try {
        Flush();
    } catch (...) {
        // Nothing can be reported from here any more.
    }
}

void TAppIniFileStorage::SetFileName(const std::string& fileName) {
    if (fileName != fileName_)
        ChangeFile(WithIniExtension(fileName), location_);
}

void TAppIniFileStorage::SetLocation(TFileLocation location) {
    if (location != location_)
        ChangeFile(fileName_, location);
}

void TAppIniFileStorage::ChangeFile(const std::string& fileName, TFileLocation location) {
    if (batchDepth_ == 0 && ComputeFileName(fileName_, location_) != resolvedFileName_)
        Flush();
    fileName_ = fileName;
    location_ = location;
    resolvedFileName_ = ComputeFileName(fileName_, location_);
    readOnlyFile_ = IsReadOnlyFile(resolvedFileName_);
    if (batchDepth_ == 0)
        Reload();
}

std::string TAppIniFileStorage::ComputeFileName(const std::string& fileName, TFileLocation location) const {
    auto resolved = ResolveFileName(fileName, location);
    if (location == TFileLocation::flCustom && OnGetFileName)
        OnGetFileName(resolved);
    return resolved;
}

std::string TAppIniFileStorage::GetString(std::string_view path, std::string_view defaultValue) {
    auto value = ReadValue(path);
    return value ? *std::move(value) : std::string{defaultValue};
}

void TAppIniFileStorage::PutString(std::string_view path, std::string_view value) {
    if (IsReadOnly())
        return;
    const auto [section, key] = SplitSectionKey(path, defaultSection_);
    const auto stored = EncodeValue(value);
    // The file format has no escape for a line break: the text after it would be read back as further
    // keys or sections, and a device's serial text could rewrite the window placement.
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(stored)) {
        if (OnError)
            OnError("Not stored \"" + section + "\\" + key + "\": it holds a line break");
        return;
    }
    ReloadIfDue();
    content_->WriteValue(section, key, stored);
    FlushIfDue();
}

int TAppIniFileStorage::GetInteger(std::string_view path, int defaultValue) {
    const auto value = ReadValue(path);
    return value ? IntegerOf(*value) : defaultValue;
}

void TAppIniFileStorage::PutInteger(std::string_view path, int value) {
    PutString(path, std::to_string(value));
}

bool TAppIniFileStorage::GetBoolean(std::string_view path, bool defaultValue) {
    const auto value = ReadValue(path);
    if (!value)
        return defaultValue;
    if (options_.IsTrueWord(*value))
        return true;
    if (options_.IsFalseWord(*value))
        return false;
    return IntegerOf(*value) != 0;
}

void TAppIniFileStorage::PutBoolean(std::string_view path, bool value) {
    if (options_.BooleanAsString())
        PutString(path, value ? options_.TrueWord() : options_.FalseWord());
    else
        PutInteger(path, value ? 1 : 0);
}

bool TAppIniFileStorage::HasValue(std::string_view path) {
    const auto [section, key] = SplitSectionKey(path, defaultSection_);
    ReloadIfDue();
    return content_->FindValue(section, key).has_value();
}

void TAppIniFileStorage::RemoveValue(std::string_view path) {
    if (IsReadOnly())
        return;
    const auto [section, key] = SplitSectionKey(path, defaultSection_);
    ReloadIfDue();
    if (!content_->RemoveValue(section, key))
        content_->RemoveSection(NormalizePath(path));
    FlushIfDue();
}

void TAppIniFileStorage::BeginBatch() {
    ReloadIfDue();
    ++batchDepth_;
}

void TAppIniFileStorage::EndBatch() {
    if (batchDepth_ > 0)
        --batchDepth_;
    FlushIfDue();
}

void TAppIniFileStorage::Flush() {
    if (resolvedFileName_.empty() || IsReadOnly())
        return;
    const auto lock = LockIf(synchronizeFlushReload_, resolvedFileName_);
    try {
        ReplaceFileText(resolvedFileName_, content_->Text());
    } catch (const std::exception& error) {
        if (OnError)
            OnError(error.what());
    }
}

void TAppIniFileStorage::Reload() {
    if (batchDepth_ > 0)
        return;
    const auto lock = LockIf(synchronizeFlushReload_ && !resolvedFileName_.empty(), resolvedFileName_);
    fileLoaded_ = true;
    readOnlyFile_ = IsReadOnlyFile(resolvedFileName_);
    loadedFileAge_ = FileAge(resolvedFileName_);
    *content_ = {};
    if (!loadedFileAge_->Exists())
        return;
    try {
        *content_ = TIniContent::Parse(ReadFileText(resolvedFileName_));
    } catch (const std::exception& error) {
        // A file we cannot read must not be overwritten with what little we know of it.
        readOnlyFile_ = true;
        if (OnError)
            OnError(error.what());
    }
}

void TAppIniFileStorage::ReloadIfDue() {
    if ((!fileLoaded_ || autoReload_) && batchDepth_ == 0 && FileAge(resolvedFileName_) != loadedFileAge_)
        Reload();
}

void TAppIniFileStorage::FlushIfDue() {
    if (autoFlush_ && batchDepth_ == 0)
        Flush();
}

std::optional<std::string> TAppIniFileStorage::ReadValue(std::string_view path) {
    const auto [section, key] = SplitSectionKey(path, defaultSection_);
    ReloadIfDue();
    const auto stored = content_->FindValue(section, key);
    if (!stored)
        return std::nullopt;
    return DecodeValue(*stored);
}

std::string TAppIniFileStorage::DecodeValue(std::string_view stored) const {
    std::string value;
    if (options_.ReplaceCRLF()) {
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const char next = i + 1 < stored.size() ? stored[i + 1] : '\0';
            if (stored[i] == '\\' && next == '\\') {
                value += '\\';
                ++i;
            } else if (stored[i] == '\\' && next == 'n') {
                value += "\r\n";
                ++i;
            } else {
                value += stored[i];
            }
        }
    } else {
        value = stored;
    }
    if (options_.PreserveLeadingTrailingBlanks() && value.size() > 1 && value.front() == '"' &&
        value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

std::string TAppIniFileStorage::EncodeValue(std::string_view value) const {
    std::string stored;
    if (options_.ReplaceCRLF() && value.find_first_of("\r\n") != std::string_view::npos) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\') {
                stored += "\\\\";
            } else if (value[i] == '\r' || value[i] == '\n') {
                stored += "\\n";
                if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                    ++i;
            } else {
                stored += value[i];
            }
        }
    } else {
        stored = value;
    }
    const bool blankAtEnd = !stored.empty() && (IsBlank(stored.front()) || IsBlank(stored.back()));
    const bool quoted = !stored.empty() && stored.front() == '"' && stored.back() == '"';
    if (options_.PreserveLeadingTrailingBlanks() && (blankAtEnd || quoted))
        stored = '"' + stored + '"';
    return stored;
}

} // namespace miran::settings
