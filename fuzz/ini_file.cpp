// Ini files as the settings storage reads and writes them. Input: which of the program's values to write,
// the value, which one to read besides, and the file's text. A UTF-8 byte-order mark in front of the text
// changes no value. Once the value is written, a fresh storage reads it back as written (less the outer
// blanks the format trims) and the other value as before, and writing the file again changes neither.
#include "ScratchFile.h"
#include "settings/AppIniFileStorage.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string_view>

using namespace miran::settings;

namespace {

// The value paths the program uses.
constexpr std::array<const char*, 8> kPaths = {"DEVICE",          "Main\\FormVersion",       "Main\\Flags",
                                               "Main\\ShowCmd",   "Main\\PixelsPerInch",     "Main\\NormPos",
                                               "Main\\MinMaxPos", "Main\\NormPos(1920x1080)"};

// The program's own set-up.
class Storage : public TAppIniFileStorage {
public:
    explicit Storage(const std::string& path) {
        OnError = [this](const std::string&) { failed = true; };
        StorageOptions().SetBooleanStringTrueValues("TRUE, YES, Y");
        StorageOptions().SetBooleanStringFalseValues("FALSE, NO, N");
        SetAutoFlush(true);
        SetAutoReload(true);
        SetLocation(TFileLocation::flCustom);
        SetFileName(path);
        SetDefaultSection("CONFIG");
        SetFlushOnDestroy(false);
    }

    bool failed = false;
};

std::string_view TrimBlanks(std::string_view text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

void Expect(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string path = kPaths[input.ConsumeIntegralInRange<std::size_t>(0, kPaths.size() - 1)];
    const std::string otherPath = kPaths[input.ConsumeIntegralInRange<std::size_t>(0, kPaths.size() - 1)];
    const std::string value = input.ConsumeRandomLengthString(128);
    const std::string text = input.ConsumeRemainingBytesAsString();
    const miran::fuzz::ScratchFile file("settings.ini", reinterpret_cast<const std::uint8_t*>(text.data()),
                                        text.size());

    // The same text behind a byte-order mark (one only: a second one would be content).
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    const std::string marked = text.starts_with(kMark) ? text : std::string(kMark) + text;
    const miran::fuzz::ScratchFile markedFile(
        "marked.ini", reinterpret_cast<const std::uint8_t*>(marked.data()), marked.size());
    const std::string otherMarked = Storage(markedFile.Path()).GetString(otherPath, "<none>");

    std::string otherBefore;
    {
        Storage writer(file.Path());
        otherBefore = writer.GetString(otherPath, "<none>");
        Expect(otherMarked == otherBefore, "a byte-order mark changes a value");
        writer.PutString(path, value);
        if (writer.failed || writer.IsReadOnly())
            return 0; // refused, and said so
    }
    std::string readValue, readOther;
    {
        Storage reader(file.Path());
        readValue = reader.GetString(path, "<none>");
        readOther = reader.GetString(otherPath, "<none>");
        Expect(readValue == TrimBlanks(value), "a written value reads back differently");
        if (otherPath != path)
            Expect(readOther == otherBefore, "writing a value changed another one");
        reader.Flush();
    }
    Storage again(file.Path());
    Expect(again.GetString(path, "<none>") == readValue && again.GetString(otherPath, "<none>") == readOther,
           "writing what was read changes a value");
    return 0;
}
