#pragma once

#include <QString>

namespace miran::widgets {

// A caption used as a format string with one integer argument: "%d", "%u", "%x" and "%X"
// (with optional "-", width and precision) take the value, "%%" gives a percent sign.
// Anything else, including conversions that would need another argument, stays as written.
QString FormatCaption(const QString& format, int value);

} // namespace miran::widgets
