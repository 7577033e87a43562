#include "RunLog.h"

#include "Failure.h"
#include "JsonText.h"
#include "cli/Cli.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>

namespace miran::cli {

namespace {

constexpr const char* kCsvHeader = "time,serial,previous_version,new_version,digits,result,seconds,message";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Quoted when it holds a separator, a quote or a line break; quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}

std::string Seconds(double seconds) {
    std::ostringstream text;
    text.precision(3);
    text << std::fixed << seconds;
    return text.str();
}

} // namespace

nlohmann::json ToJson(const RunRecord& record) {
    return {{"time", record.time},
            {"serial", record.serial},
            {"previous_version", record.previousVersion},
            {"new_version", record.newVersion},
            {"digits", record.digits},
            {"result", record.result},
            {"seconds", std::round(record.seconds * 1000) / 1000}, // to the millisecond, as in CSV
            {"message", record.message}};
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32];
    // Called on the main thread only: gmtime's shared result is safe there.
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}

RunLog::RunLog(const std::string& path)
    : path_(path), csv_(EndsWith(path, ".csv")), file_(path, std::ios::app | std::ios::binary) {
    if (!file_)
        throw Failure{kExitUsage, "--log: cannot open " + path + ": " + std::strerror(errno)};
    std::error_code error;
    if (csv_ && std::filesystem::file_size(path, error) == 0 && !error)
        file_ << kCsvHeader << '\n' << std::flush;
}

void RunLog::Append(const RunRecord& record) {
    if (csv_)
        file_ << CsvField(record.time) << ',' << CsvField(record.serial) << ','
              << CsvField(record.previousVersion) << ',' << CsvField(record.newVersion) << ','
              << CsvField(record.digits) << ',' << CsvField(record.result) << ',' << Seconds(record.seconds)
              << ',' << CsvField(record.message) << '\n';
    else
        file_ << JsonText(ToJson(record)) << '\n';
    file_.flush();
    if (!file_)
        throw Failure{kExitUnexpected, "--log: cannot write " + path_};
}

} // namespace miran::cli
