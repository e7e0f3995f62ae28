#include "formatting/PosixZoneRule.h"

#include <algorithm>
#include <array>

namespace pulsegrove {

namespace {

using Change = PosixZoneRule::Change;

constexpr std::int64_t secondsPerDay = 86400;
// Far beyond any date worth showing, and small enough that no sum below can overflow.
constexpr std::int64_t instantLimit = std::int64_t(1) << 56;
// Weekdays and leap years, and with them every rule's changes, repeat only every 400 years
// (146,097 days, a whole number of weeks): a rule whose offset ever changes does so within as many
// years from any instant. Within 28 years is not enough: a change in years whose February has five
// Sundays comes in 2088 and next in 2128.
constexpr int yearsInCycle = 400;

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

std::int64_t floorModulo(std::int64_t value, std::int64_t divisor)
{
    return value - floorDivide(value, divisor) * divisor;
}

// Days before each month, and in the whole year, in common and in leap years.
constexpr std::array<std::array<std::int64_t, 13>, 2> daysBeforeMonth = {
    {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
     {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}}};

// A calendar year of the proleptic Gregorian calendar, and the day, counted from 1970-01-01, it
// begins on.
struct Year {
    std::int64_t number;
    std::int64_t january1;
    bool isLeap;

    static Year of(std::int64_t number)
    {
        const std::int64_t before = number - 1;
        const std::int64_t era = floorDivide(before, 400);
        const std::int64_t yearOfEra = before - era * 400;
        // Days from 0000-03-01 to March 1 of the year before, then on to January 1.
        const std::int64_t january1 =
            era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + 306 - 719468;
        return {number, january1, number % 4 == 0 && (number % 100 != 0 || number % 400 == 0)};
    }
    const std::array<std::int64_t, 13> &monthStarts() const { return daysBeforeMonth[isLeap ? 1 : 0]; }
    std::int64_t next() const { return january1 + monthStarts()[12]; }
};

// The calendar year a day since 1970-01-01 falls in.
std::int64_t yearOfDay(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = floorDivide(days, 146097);
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    return yearOfEra + era * 400 + (shiftedMonth >= 10 ? 1 : 0);
}

// The C library reads the year of an instant in UTC, not in the zone's own time; near New Year
// the two differ, and so would the changes they pick.
Year utcYear(std::int64_t unixSeconds)
{
    return Year::of(
        yearOfDay(floorDivide(std::clamp(unixSeconds, -instantLimit, instantLimit), secondsPerDay)));
}

// The day, counted from 1970-01-01, on which the change falls in the year.
std::int64_t dayOfChange(const Change &change, const Year &year)
{
    switch (change.kind) {
    case Change::Kind::julianDay:
        return year.january1 + change.day - 1 + (change.day >= 60 && year.isLeap ? 1 : 0);
    case Change::Kind::dayOfYear:
        return year.january1 + change.day;
    case Change::Kind::monthWeekDay:
        break;
    }
    const std::int64_t first = year.january1 + year.monthStarts()[std::size_t(change.month - 1)];
    const std::int64_t length = year.monthStarts()[std::size_t(change.month)] - (first - year.january1);
    const std::int64_t weekdayOfFirst = floorModulo(first + 4, 7); // 1970-01-01 was a Thursday
    std::int64_t day = (change.day - weekdayOfFirst + 7) % 7;
    // Week 5 means the last such day, which may be the fourth.
    for (int week = 1; week < change.week && day + 7 < length; ++week)
        day += 7;
    return first + day;
}

// The instant of the change in the year, its local time read in the offset in force before it.
std::int64_t instantOfChange(const Change &change, const Year &year, std::int32_t offsetBefore)
{
    return dayOfChange(change, year) * secondsPerDay + change.secondsIntoDay - offsetBefore;
}

// The instants of a year's two changes, each one's local time read in the offset in force before it.
struct YearChanges {
    std::int64_t start;
    std::int64_t end;

    // A start after the end within the year: daylight saving spans New Year, as in the south.
    bool isDaylightSaving(std::int64_t unixSeconds) const
    {
        return start > end ? unixSeconds < end || unixSeconds >= start
                           : unixSeconds >= start && unixSeconds < end;
    }
};

YearChanges changesIn(const Year &year, const Change &toDaylightSaving, std::int32_t standardOffset,
                      const Change &toStandardTime, std::int32_t daylightOffset)
{
    return {instantOfChange(toDaylightSaving, year, standardOffset),
            instantOfChange(toStandardTime, year, daylightOffset)};
}

// Reads one part of the rule at a time, moving only forwards.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_position == m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_position]; }
    bool skip(char expected)
    {
        if (peek() != expected)
            return false;
        ++m_position;
        return true;
    }

    // "EST" or "<+0530>": three or more letters, or three or more of [A-Za-z0-9+-] in brackets.
    bool abbreviation()
    {
        const bool quoted = peek() == '<';
        const std::size_t start = m_position + (quoted ? 1 : 0);
        std::size_t end = start;
        while (end < m_text.size() && (quoted ? isAlpha(m_text[end]) || isDigit(m_text[end]) ||
                                                    m_text[end] == '+' || m_text[end] == '-'
                                              : isAlpha(m_text[end])))
            ++end;
        if (end - start < 3 || (quoted && (end == m_text.size() || m_text[end] != '>')))
            return false;
        m_position = end + (quoted ? 1 : 0);
        return true;
    }

    // "[+-]hh[:mm[:ss]]" in seconds, the sign as written: an offset counts west of UTC, as POSIX
    // counts, with at most 24 hours; a change's time of day up to a week either way.
    std::optional<std::int32_t> duration(std::size_t hourDigits, std::int32_t hourLimit)
    {
        std::int32_t sign = 1;
        if (peek() == '+' || peek() == '-')
            sign = m_text[m_position++] == '-' ? -1 : 1;
        const auto hours = number(hourDigits, 0, hourLimit);
        if (!hours)
            return std::nullopt;
        std::int32_t seconds = *hours * 3600;
        for (const std::int32_t unit : {60, 1}) {
            if (!skip(':'))
                break;
            const auto part = number(2, 0, 59);
            if (!part)
                return std::nullopt;
            seconds += *part * unit;
        }
        return sign * seconds;
    }

    // "Jn", "n" or "Mm.w.d", then "/time" if given.
    std::optional<Change> change()
    {
        Change change;
        std::optional<std::int32_t> day;
        if (skip('J')) {
            change.kind = Change::Kind::julianDay;
            day = number(3, 1, 365);
        } else if (skip('M')) {
            const auto month = number(2, 1, 12);
            const auto week = month && skip('.') ? number(1, 1, 5) : std::nullopt;
            day = week && skip('.') ? number(1, 0, 6) : std::nullopt;
            change.month = std::int8_t(month.value_or(0));
            change.week = std::int8_t(week.value_or(0));
        } else {
            change.kind = Change::Kind::dayOfYear;
            day = number(3, 0, 365);
        }
        if (!day)
            return std::nullopt;
        change.day = std::int16_t(*day);
        if (skip('/')) {
            const auto time = duration(3, 167);
            if (!time)
                return std::nullopt;
            change.secondsIntoDay = *time;
        }
        return change;
    }

private:
    std::optional<std::int32_t> number(std::size_t maximumDigits, std::int32_t least, std::int32_t most)
    {
        const std::size_t start = m_position;
        std::int32_t value = 0;
        while (m_position < m_text.size() && m_position - start < maximumDigits &&
               isDigit(m_text[m_position]))
            value = value * 10 + (m_text[m_position++] - '0');
        if (m_position == start || value < least || value > most)
            return std::nullopt;
        return value;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
};

} // namespace

std::optional<PosixZoneRule> PosixZoneRule::parse(std::string_view text)
{
    if (text.empty() || text.size() > lengthLimit)
        return std::nullopt;
    Scanner scanner(text);
    const auto standardWest = scanner.abbreviation() ? scanner.duration(2, 24) : std::nullopt;
    if (!standardWest)
        return std::nullopt;
    PosixZoneRule rule;
    rule.m_standardOffset = rule.m_daylightOffset = -*standardWest;
    if (scanner.atEnd())
        return rule;
    if (!scanner.abbreviation())
        return std::nullopt;
    const auto daylightWest = scanner.atEnd() || scanner.peek() == ',' ? std::optional(*standardWest - 3600)
                                                                       : scanner.duration(2, 24);
    if (!daylightWest)
        return std::nullopt;
    rule.m_daylightOffset = -*daylightWest;
    rule.m_hasDaylightSaving = true;
    // The United States' changes, the C library's choice where the value names none.
    rule.m_toDaylightSaving = {Change::Kind::monthWeekDay, 0, 2, 3};
    rule.m_toStandardTime = {Change::Kind::monthWeekDay, 0, 1, 11};
    for (Change *change : {&rule.m_toDaylightSaving, &rule.m_toStandardTime}) {
        if (scanner.atEnd())
            break;
        const auto given = scanner.skip(',') ? scanner.change() : std::nullopt;
        if (!given)
            return std::nullopt;
        *change = *given;
    }
    return scanner.atEnd() ? std::optional(rule) : std::nullopt;
}

std::int32_t PosixZoneRule::offsetSeconds(std::int64_t unixSeconds) const
{
    if (!m_hasDaylightSaving)
        return m_standardOffset;
    const auto changes = changesIn(utcYear(unixSeconds), m_toDaylightSaving, m_standardOffset,
                                   m_toStandardTime, m_daylightOffset);
    return changes.isDaylightSaving(unixSeconds) ? m_daylightOffset : m_standardOffset;
}

std::optional<std::int64_t> PosixZoneRule::nextChange(std::int64_t after) const
{
    if (!m_hasDaylightSaving || m_standardOffset == m_daylightOffset || after >= instantLimit)
        return std::nullopt;
    const auto changesOf = [this](const Year &year) {
        return changesIn(year, m_toDaylightSaving, m_standardOffset, m_toStandardTime, m_daylightOffset);
    };
    // Within a year the offset changes only at that year's own changes (one that falls outside the
    // year counts for nothing), and between years only at New Year: year by year, in order.
    auto year = utcYear(after);
    auto changes = changesOf(year);
    for (int count = 0; count <= yearsInCycle; ++count) {
        const auto nextYear = Year::of(year.number + 1);
        const auto nextChanges = changesOf(nextYear);
        const std::int64_t begin = year.january1 * secondsPerDay, end = nextYear.january1 * secondsPerDay;
        for (const auto change :
             {std::min(changes.start, changes.end), std::max(changes.start, changes.end)}) {
            if (change > after && change > begin && change < end &&
                changes.isDaylightSaving(change) != changes.isDaylightSaving(change - 1))
                return change;
        }
        if (end > after && changes.isDaylightSaving(end - 1) != nextChanges.isDaylightSaving(end))
            return end;
        year = nextYear;
        changes = nextChanges;
    }
    return std::nullopt;
}

} // namespace pulsegrove
