#pragma once

#include "update/CommandChannel.h"

#include <string>

namespace miran::cli {

// "Set"/"Get", report ID, length, then the bytes as upper-case hex; " FAILED" when the transfer failed.
std::string FormatTransfer(const update::Transfer& transfer);

} // namespace miran::cli
