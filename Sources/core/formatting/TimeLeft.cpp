#include "formatting/TimeLeft.h"

#include <limits>

namespace pulsegrove {

namespace {

std::int64_t wholeMinutes(double secondsLeft)
{
    // 2^63, exactly representable; anything at or beyond it (or not a number) does not fit.
    constexpr double firstOutOfRange = 9223372036854775808.0;
    const double minutes = secondsLeft / 60.0;
    if (!(minutes < firstOutOfRange))
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(minutes);
}

} // namespace

TimeLeft TimeLeft::until(std::optional<Date> instant, Date now)
{
    TimeLeft left;
    if (!instant)
        return left;
    const double secondsLeft = instant->timeIntervalSince(now);
    if (secondsLeft <= 0) {
        left.stage = Stage::passed;
        return left;
    }
    if (secondsLeft < 60) {
        left.stage = Stage::underAMinute;
        return left;
    }
    left.totalMinutes = wholeMinutes(secondsLeft);
    left.days = left.totalMinutes / 1440;
    left.hours = (left.totalMinutes % 1440) / 60;
    left.minutes = left.totalMinutes % 60;
    left.stage = left.totalMinutes < 60     ? Stage::minutes
                 : left.totalMinutes < 1440 ? Stage::hours
                                            : Stage::days;
    return left;
}

} // namespace pulsegrove
