#include "widgets/CaptionFormat.h"

#include <QRegularExpression>

namespace miran::widgets {

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
        const int precision = m.captured(3).toInt();
        if (digits.size() < precision)
            digits = QString(precision - digits.size(), u'0') + digits;
        if (kind == u'd' && value < 0)
            digits.prepend(u'-');
        const int width = m.captured(2).toInt();
        result +=
            m.captured(1).isEmpty() ? digits.rightJustified(width, u' ') : digits.leftJustified(width, u' ');
    }
    return result + format.mid(done);
}

} // namespace miran::widgets
