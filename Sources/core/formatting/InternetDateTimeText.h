#pragma once

#include "foundation/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pulsegrove {

// ISO 8601 internet date-times in UTC without fractions, e.g. "2026-03-01T08:00:00Z": the form
// the dashboard page reads. A fraction of a second is dropped (the instant is floored).
struct InternetDateTimeText {
    InternetDateTimeText() = delete;

    // Nothing for an instant outside the years 0001 to 9999, which the four-digit form cannot
    // write, or for a date that is not a finite number.
    static std::optional<std::string> format(Date date);
    static std::optional<std::string> formatUnixSeconds(std::int64_t unixSeconds);
    // The Unix seconds of exactly that form ("YYYY-MM-DDTHH:MM:SSZ", a valid calendar date and
    // time); nothing for any other text.
    static std::optional<std::int64_t> parseUnixSeconds(std::string_view text);
};

} // namespace pulsegrove
