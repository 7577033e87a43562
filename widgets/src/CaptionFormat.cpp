#include "widgets/CaptionFormat.h"

#include <QRegularExpression>
#include <algorithm>

namespace miran::widgets {
namespace {

// A width or precision as written, at most kMaxCaptionField (also when it overflows int);
// digits of other scripts count as 0.
int FieldSize(const QString& digits) {
    bool ok = false;
    const int size = digits.toInt(&ok);
    if (ok)
        return std::min(size, kMaxCaptionField);
    const bool overflow = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    return overflow ? kMaxCaptionField : 0;
}

} // namespace

QString FormatCaption(const QString& format, int value) {
    static const QRegularExpression conversion(QStringLiteral("%(?:%|(-?)(\\d*)(?:\\.(\\d+))?([duxX]))"));
    QString result;
    qsizetype done = 0;
    for (auto it = conversion.globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        result += format.mid(done, m.capturedStart() - done);
        done = m.capturedEnd();
        if (m.captured(0) == QLatin1String("%%")) {
            result += u'%';
            continue;
        }
        const QChar kind = m.captured(4).front();
        QString digits = kind == u'd'   ? QString::number(std::abs(static_cast<long long>(value)))
                         : kind == u'u' ? QString::number(static_cast<unsigned>(value))
                                        : QString::number(static_cast<unsigned>(value), 16);
        if (kind == u'X')
            digits = digits.toUpper();
        const int precision = FieldSize(m.captured(3));
        if (digits.size() < precision)
            digits = QString(precision - digits.size(), u'0') + digits;
        if (kind == u'd' && value < 0)
            digits.prepend(u'-');
        const int width = FieldSize(m.captured(2));
        result +=
            m.captured(1).isEmpty() ? digits.rightJustified(width, u' ') : digits.leftJustified(width, u' ');
    }
    return result + format.mid(done);
}

} // namespace miran::widgets
