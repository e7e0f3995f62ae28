#include "formatting/ExactDateTimeText.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <date/date.h>

namespace pulsegrove {

namespace {

// Indexed by the Gregorian weekday number, 1 = Sunday ... 7 = Saturday.
constexpr std::array<const char *, 8> weekdayNames = {"",     "周日", "周一", "周二",
                                                      "周三", "周四", "周五", "周六"};

struct CalendarFields {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned weekday = 0; // 1 = Sunday
    long long hour = 0;
    long long minute = 0;
};

// One day inside the years the calendar covers at both ends, so that no time-zone offset can
// move a local date out of them and no day count overflows the library's int days.
std::int64_t earliestSupportedSecond()
{
    return date::sys_seconds(date::sys_days(date::year(1) / 1 / 2)).time_since_epoch().count();
}

std::int64_t latestSupportedSecond()
{
    return date::sys_seconds(date::sys_days(date::year(32767) / 12 / 30)).time_since_epoch().count();
}

std::optional<CalendarFields> calendarFields(std::int64_t unixSeconds, const TimeZone &timeZone)
{
    if (unixSeconds < earliestSupportedSecond() || unixSeconds > latestSupportedSecond())
        return std::nullopt;
    // The zone gives the offset; the civil calendar of the shifted instant gives the fields.
    const auto local =
        date::sys_seconds(std::chrono::seconds(unixSeconds + timeZone.offsetSeconds(unixSeconds)));
    const auto localDay = date::floor<date::days>(local);
    const date::year_month_day ymd(localDay);
    if (!ymd.ok())
        return std::nullopt;
    const date::hh_mm_ss<std::chrono::seconds> time(local - localDay);
    return CalendarFields{int(ymd.year()),      unsigned(ymd.month()),
                          unsigned(ymd.day()),  date::weekday(localDay).c_encoding() + 1,
                          time.hours().count(), time.minutes().count()};
}

std::optional<int> yearOf(Date now, const TimeZone &timeZone)
{
    const double seconds = std::floor(now.unixSeconds());
    if (!(seconds >= double(earliestSupportedSecond()) && seconds <= double(latestSupportedSecond())))
        return std::nullopt;
    const auto fields = calendarFields(static_cast<std::int64_t>(seconds), timeZone);
    return fields ? std::optional(fields->year) : std::nullopt;
}

} // namespace

std::optional<std::string> ExactDateTimeText::format(std::optional<std::int64_t> unixSeconds, Date now,
                                                     const TimeZone &timeZone, bool includeWeekday)
{
    if (!unixSeconds)
        return std::nullopt;
    const auto fields = calendarFields(*unixSeconds, timeZone);
    if (!fields)
        return std::nullopt;
    std::string text;
    // An unknown current year counts as a different one: the full date is never wrong.
    if (yearOf(now, timeZone) != fields->year)
        text += std::to_string(fields->year) + "年";
    text += std::to_string(fields->month) + "月" + std::to_string(fields->day) + "日";
    if (includeWeekday)
        text += std::string(" ") + weekdayNames[fields->weekday];
    char clock[16];
    std::snprintf(clock, sizeof clock, " %02d:%02d", int(fields->hour), int(fields->minute));
    return text + clock;
}

} // namespace pulsegrove
