#pragma once

#include "foundation/Environment.h"

#include <filesystem>
#include <string>

namespace pulsegrove {

// Where the usage analytics read Codex's data and keep their own cache, and which zone their
// calendar uses. Made once at start from the process environment; it touches no file.
struct CodexUsageAnalyticsConfiguration {
    static constexpr const char *cacheFolder = "Library/Caches/io.velorn.Pulsegrove/UsageAnalytics";
    static constexpr const char *defaultSqliteExecutable = "/usr/bin/sqlite3";

    // Codex's data folder: CODEX_HOME, else ".codex" in the home folder.
    std::filesystem::path codexHome;
    // The private cache of the usage index, under the user's caches folder.
    std::filesystem::path cacheDirectory;
    std::filesystem::path sqliteExecutable;
    // The identifier of the zone the report's calendar uses, e.g. "Asia/Shanghai".
    std::string timeZoneIdentifier;

    // Never fails: without any home folder the paths stay empty (relative to nothing) and every
    // later read of them simply finds no data.
    static CodexUsageAnalyticsConfiguration live(const Environment &environment);

    friend bool operator==(const CodexUsageAnalyticsConfiguration &,
                           const CodexUsageAnalyticsConfiguration &) = default;
};

} // namespace pulsegrove
