#pragma once

#include "foundation/Environment.h"
#include "foundation/TrustedPath.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pulsegrove {

// Finds the `codex` executable: the explicit variable, the user's override file, the usual
// install places, then PATH. The first executable regular file wins, except that one named by the
// override file or found at an install place must also be beyond the reach of other users (see
// TrustedPath); otherwise it is passed over with one log line and the search goes on.
class CodexExecutableSearch {
public:
    static constexpr const char *pathVariable = "PULSE_GROVE_CODEX_PATH";
    static constexpr const char *overrideFile = "Library/Application Support/Pulsegrove/codex-path";

    // Every candidate in search order, duplicates removed (a repeated path keeps its first place).
    static std::vector<std::string> candidates(const Environment &environment);
    // Throws CodexRateLimitClientError::executableNotFound when no candidate is executable and,
    // where it has to be, trusted.
    static std::filesystem::path resolveExecutable(const Environment &environment);

    // A regular file (after following links) that the current user may execute.
    static bool isExecutableFile(const std::string &path);
    // The trimmed path written in the override file, if the file holds one and nobody but the
    // user can have written it: the file and its folder are the user's and not writable by group
    // or others.
    static std::optional<std::string> overridePath(const Environment &environment);

    // Where a refused override file or untrusted program is reported (the application's log); each
    // reason once per process, since the search runs at every refresh.
    using RefusalLog = std::function<void(const std::string &message)>;
    static void setRefusalLog(RefusalLog log);
    // Who is in a group, where a folder or program on the way is writable by its group: the
    // system's user database, unless a test says otherwise; an empty lookup restores it.
    static void setGroupLookup(TrustedPath::GroupLookup lookup);
};

} // namespace pulsegrove
