#include "formatting/InternetDateTimeText.h"

#include <cmath>
#include <cstdio>
#include <date/date.h>

namespace pulsegrove {

namespace {

std::int64_t firstSecondOfYear(int year)
{
    return date::sys_seconds(date::sys_days(date::year(year) / 1 / 1)).time_since_epoch().count();
}

// The decimal number of exactly `length` digits at `offset`, or -1.
int digitsAt(std::string_view text, std::size_t offset, std::size_t length)
{
    int value = 0;
    for (std::size_t index = offset; index < offset + length; ++index) {
        if (text[index] < '0' || text[index] > '9')
            return -1;
        value = value * 10 + (text[index] - '0');
    }
    return value;
}

} // namespace

std::optional<std::int64_t> InternetDateTimeText::parseUnixSeconds(std::string_view text)
{
    constexpr std::string_view shape = "0000-00-00T00:00:00Z";
    if (text.size() != shape.size())
        return std::nullopt;
    for (std::size_t index = 0; index < shape.size(); ++index) {
        if (shape[index] != '0' && text[index] != shape[index])
            return std::nullopt;
    }
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    const date::year_month_day ymd{date::year(year), date::month(unsigned(month)), date::day(unsigned(day))};
    if (year < 1 || month < 0 || day < 0 || !ymd.ok() || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return std::nullopt;
    const auto instant = date::sys_days(ymd) + std::chrono::hours(hour) + std::chrono::minutes(minute) +
                         std::chrono::seconds(second);
    return date::sys_seconds(instant).time_since_epoch().count();
}

std::optional<std::string> InternetDateTimeText::formatUnixSeconds(std::int64_t unixSeconds)
{
    if (unixSeconds < firstSecondOfYear(1) || unixSeconds >= firstSecondOfYear(10000))
        return std::nullopt;
    const date::sys_seconds instant{std::chrono::seconds(unixSeconds)};
    const auto day = date::floor<date::days>(instant);
    const date::year_month_day ymd(day);
    const date::hh_mm_ss<std::chrono::seconds> time(instant - day);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lldZ", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), static_cast<long long>(time.hours().count()),
                  static_cast<long long>(time.minutes().count()),
                  static_cast<long long>(time.seconds().count()));
    return std::string(text);
}

std::optional<std::string> InternetDateTimeText::format(Date date)
{
    const double seconds = std::floor(date.unixSeconds());
    // Checked as doubles first, so a huge or non-finite value never reaches the integer cast.
    if (!(seconds >= double(firstSecondOfYear(1)) && seconds < double(firstSecondOfYear(10000))))
        return std::nullopt;
    return formatUnixSeconds(static_cast<std::int64_t>(seconds));
}

} // namespace pulsegrove
