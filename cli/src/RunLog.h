#pragma once

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

namespace miran::cli {

// What happened to one programmer at one step of `update --watch`.
struct RunRecord {
    std::string time; // UTC, such as 2026-12-10T12:34:56Z
    std::string serial;
    std::string previousVersion;
    std::string newVersion;
    std::string digits; // the serial digits written
    std::string result; // updated, skipped, verified or failed
    double seconds = 0;
    std::string message;
};

nlohmann::json ToJson(const RunRecord& record);

// The time now as RunRecord::time gives it.
std::string UtcNow();

// The --log file: records appended as CSV (a name ending in ".csv", with a header line when the file is
// empty) or JSON Lines, each flushed as it is written so that a crash loses none. Throws Failure
// kExitUsage when the file cannot be opened, kExitUnexpected when a record cannot be written.
class RunLog {
public:
    explicit RunLog(const std::string& path);

    void Append(const RunRecord& record);

private:
    std::string path_;
    bool csv_;
    std::ofstream file_;
};

} // namespace miran::cli
