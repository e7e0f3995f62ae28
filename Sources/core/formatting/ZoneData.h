#pragma once

#include <cctz/time_zone.h>
#include <optional>
#include <string>

namespace pulsegrove {

// The zone library's rules for the bytes of a TZif file. Files are read by our own careful reader,
// never by the library's, so a FIFO or a huge file put in the database's place cannot stall or
// exhaust us. The library is given only a file's listed transitions (TimeZone applies the closing
// rule itself), and what it complains of goes to ZoneWarningLog.
struct ZoneData {
    ZoneData() = delete;

    // The rules these bytes hold, nothing when they are not zone data. Each distinct content is
    // turned into rules once and kept for the process's lifetime.
    static std::optional<cctz::time_zone> rules(const std::string &bytes);
    // Whether the bytes are zone data whose counts fit in them (ZoneFile::parse): the library
    // sizes its buffers from these counts, so a forged header must never reach it.
    static bool isWellFormed(const std::string &bytes);
    // The rule after the last transition (the line that ends a version 2 or later file).
    static std::string footer(const std::string &bytes);
};

} // namespace pulsegrove
