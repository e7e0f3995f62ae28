#include "analytics/CodexUsageAnalyticsConfiguration.h"

#include "formatting/SystemTimeZone.h"
#include "foundation/UserDirectories.h"

namespace pulsegrove {

namespace {

std::filesystem::path codexHomeFor(const Environment &environment)
{
    if (const auto codexHome = environment.nonEmptyValue("CODEX_HOME"))
        return *codexHome;
    const auto home = UserDirectories::homeDirectory(environment);
    return home ? *home / ".codex" : std::filesystem::path();
}

std::string currentTimeZoneIdentifier(const Environment &environment)
{
    // Never fails: a zone it cannot make sense of is UTC.
    return SystemTimeZone::current(environment).identifier();
}

} // namespace

CodexUsageAnalyticsConfiguration CodexUsageAnalyticsConfiguration::live(const Environment &environment)
{
    return {
        codexHomeFor(environment),
        UserDirectories::libraryPath(cacheFolder, environment).value_or(std::filesystem::path()),
        defaultSqliteExecutable,
        currentTimeZoneIdentifier(environment),
    };
}

} // namespace pulsegrove
