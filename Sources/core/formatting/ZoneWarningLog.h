#pragma once

#include <functional>
#include <string>

namespace pulsegrove {

// Where the zone code reports what it had to work around in zone data (a closing rule that is no
// rule, the zone library's own complaints): the application's log, each message once, since
// zones are looked up whenever a date is formatted. Nothing goes to the terminal.
struct ZoneWarningLog {
    ZoneWarningLog() = delete;

    using Log = std::function<void(const std::string &message)>;
    static void setLog(Log log);
    static void report(const std::string &message);
};

} // namespace pulsegrove
