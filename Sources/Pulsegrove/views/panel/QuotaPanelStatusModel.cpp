#include "views/panel/QuotaPanelStatusModel.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace pulsegrove {

namespace {

// About ±290 million years: far beyond any real read, well inside what QDateTime holds.
constexpr double largestRepresentableSeconds = 9.0e15;

std::optional<QTime> localTime(Date date, const QTimeZone &zone)
{
    const double seconds = date.unixSeconds();
    if (!std::isfinite(seconds) || std::abs(seconds) > largestRepresentableSeconds)
        return std::nullopt;
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(std::floor(seconds)), zone);
    if (!moment.isValid())
        return std::nullopt;
    return moment.time();
}

// The long time style names the zone ("t"); without it, it is the style with seconds.
QString formatWithoutZone(const QLocale &locale)
{
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*\\(?t+\\)?\\s*")));
    return format.trimmed();
}

QString placeholderTime()
{
    return QStringLiteral("--");
}

} // namespace

QString QuotaPanelStatusModel::symbolName(const std::optional<QString> &errorMessage)
{
    return errorMessage ? QStringLiteral("exclamationmark.triangle") : QStringLiteral("clock");
}

QString QuotaPanelStatusModel::text(const QuotaSnapshot &snapshot, const std::optional<QString> &errorMessage,
                                    bool isStale, const QLocale &locale, const QTimeZone &zone)
{
    if (errorMessage)
        return QStringLiteral("刷新失败，显示上次数据 · ") + *errorMessage;
    if (!isStale)
        return QStringLiteral("更新于 ") + shortTime(snapshot.fetchedAt(), locale, zone) +
               QStringLiteral(" · 前台 1 分钟 / 后台 5 分钟刷新");
    return QStringLiteral("当前显示缓存数据 · 更新于 ") + timeWithSeconds(snapshot.fetchedAt(), locale, zone);
}

int QuotaPanelStatusModel::lineLimit(const std::optional<QString> &errorMessage)
{
    return errorMessage ? failureLineLimit : 0;
}

QString QuotaPanelStatusModel::shortTime(Date date, const QLocale &locale, const QTimeZone &zone)
{
    const auto time = localTime(date, zone);
    return time ? locale.toString(*time, QLocale::ShortFormat) : placeholderTime();
}

QString QuotaPanelStatusModel::timeWithSeconds(Date date, const QLocale &locale, const QTimeZone &zone)
{
    const auto time = localTime(date, zone);
    return time ? locale.toString(*time, formatWithoutZone(locale)) : placeholderTime();
}

} // namespace pulsegrove
