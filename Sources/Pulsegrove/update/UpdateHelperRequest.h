#pragma once

#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace pulsegrove {

// The command line of an update-helper run: exactly the program, "--pulsegrove-update-helper",
// the install plan's path and the parent's process id.
struct UpdateHelperRequest {
    static constexpr const char *option = "--pulsegrove-update-helper";

    std::filesystem::path installPlan;
    std::int32_t parentProcessID = 0;

    // Nothing unless there are exactly four arguments in that form; the plan must be an absolute
    // path without "." or ".." parts, and the process id a positive decimal 32-bit number
    // written without sign, leading zeros or spaces.
    static std::optional<UpdateHelperRequest> parse(const QStringList &arguments);
    static std::optional<std::int32_t> parseProcessID(const QString &text);
};

} // namespace pulsegrove
