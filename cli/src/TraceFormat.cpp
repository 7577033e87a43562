#include "TraceFormat.h"

#include <cstdio>

namespace miran::cli {

std::string FormatTransfer(const update::Transfer& transfer) {
    std::string line = transfer.get ? "Get" : "Set";
    line += ' ' + std::to_string(transfer.reportId) + ' ' + std::to_string(transfer.length);
    char hex[4];
    for (std::size_t i = 0; i < transfer.length; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", transfer.buffer[i]);
        line += hex;
    }
    if (!transfer.ok)
        line += " FAILED";
    return line;
}

} // namespace miran::cli
