#include "update/UpdateHelperRequest.h"

#include <limits>

namespace pulsegrove {

std::optional<std::int32_t> UpdateHelperRequest::parseProcessID(const QString &text)
{
    // QString::toInt would take a sign, surrounding spaces and leading zeros.
    if (text.isEmpty() || text.size() > 10 || text.front() == QLatin1Char('0'))
        return std::nullopt;
    std::int64_t value = 0;
    for (const QChar character : text) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (character.unicode() - u'0');
    }
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<UpdateHelperRequest> UpdateHelperRequest::parse(const QStringList &arguments)
{
    if (arguments.size() != 4 || arguments.at(1) != QLatin1String(option))
        return std::nullopt;
    const std::filesystem::path plan(arguments.at(2).toStdString());
    if (!plan.is_absolute() || !plan.has_filename())
        return std::nullopt;
    for (const auto &part : plan) {
        if (part == "." || part == "..")
            return std::nullopt;
    }
    const auto processID = parseProcessID(arguments.at(3));
    if (!processID)
        return std::nullopt;
    return UpdateHelperRequest{plan, *processID};
}

} // namespace pulsegrove
