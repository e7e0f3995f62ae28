#include "metrics/TemperatureSeverity.h"

namespace pulsegrove {

TemperatureSeverity TemperatureSeverities::fromCelsius(std::optional<double> celsius)
{
    if (!celsius)
        return TemperatureSeverity::unavailable;
    if (*celsius < 80)
        return TemperatureSeverity::normal;
    if (*celsius < 90)
        return TemperatureSeverity::warm;
    if (*celsius < 100)
        return TemperatureSeverity::hot;
    return TemperatureSeverity::critical;
}

std::string_view TemperatureSeverities::displayName(TemperatureSeverity severity)
{
    switch (severity) {
    case TemperatureSeverity::unavailable:
        return "不可用";
    case TemperatureSeverity::normal:
        return "正常";
    case TemperatureSeverity::warm:
        return "偏热";
    case TemperatureSeverity::hot:
        return "较热";
    case TemperatureSeverity::critical:
        break;
    }
    return "高温";
}

} // namespace pulsegrove
