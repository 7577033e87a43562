#include "widgets/StrToInt.h"

#include <limits>

namespace miran::widgets {

int StrToInt(const QString& text) {
    auto fail = [&]() -> int {
        throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
    };
    QString s = text.trimmed();
    bool negative = false;
    if (s.startsWith(u'-') || s.startsWith(u'+')) {
        negative = s.startsWith(u'-');
        s.remove(0, 1);
    }
    int base = 10;
    if (s.startsWith(u'$')) {
        base = 16;
        s.remove(0, 1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s.remove(0, 2);
    }
    if (s.isEmpty() || s.front().isSpace())
        return fail();
    bool ok = false;
    const qulonglong magnitude = s.toULongLong(&ok, base);
    if (!ok)
        return fail();
    if (base == 16) {
        if (magnitude > std::numeric_limits<std::uint32_t>::max())
            return fail();
        const auto pattern = static_cast<std::uint32_t>(magnitude);
        return static_cast<int>(negative ? 0u - pattern : pattern);
    }
    const qulonglong limit = negative ? qulonglong{1} << 31 : (qulonglong{1} << 31) - 1;
    if (magnitude > limit)
        return fail();
    return negative ? static_cast<int>(-static_cast<long long>(magnitude)) : static_cast<int>(magnitude);
}

} // namespace miran::widgets
