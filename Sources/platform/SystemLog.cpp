#include "SystemLog.h"

namespace pulsegrove {

namespace {

const QString privatePlaceholder = QStringLiteral("<private>");

// Object and string arguments are private unless marked public; numbers are public unless marked.
bool isShown(const QString &privacy, QChar conversion)
{
    if (privacy == QLatin1String("public"))
        return true;
    if (privacy == QLatin1String("private"))
        return false;
    return conversion != QLatin1Char('s') && conversion != QLatin1Char('@');
}

} // namespace

QString SystemLog::render(const QString &format, const QStringList &arguments)
{
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != QLatin1Char('%') || i + 1 == format.size()) {
            result += format[i];
            continue;
        }
        if (format[i + 1] == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        QString privacy;
        qsizetype conversion = i + 1;
        if (format[conversion] == QLatin1Char('{')) {
            const qsizetype close = format.indexOf(QLatin1Char('}'), conversion);
            if (close < 0 || close + 1 == format.size()) {
                result += format.mid(i);
                break;
            }
            privacy = format.mid(conversion + 1, close - conversion - 1);
            conversion = close + 1;
        }
        const QString argument = next < arguments.size() ? arguments[next] : QString();
        ++next;
        result += isShown(privacy, format[conversion]) ? argument : privatePlaceholder;
        i = conversion;
    }
    return result;
}

} // namespace pulsegrove
