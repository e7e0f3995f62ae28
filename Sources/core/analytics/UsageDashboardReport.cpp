#include "analytics/UsageDashboardReport.h"

#include "quota/DecodingError.h"
#include "quota/JSONFields.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

nlohmann::json UsageDashboardReport::toJSON() const
{
    return {{"quotaSnapshots", UsageQuotaSnapshot::encodeList(quotaSnapshots)}};
}

UsageDashboardReport UsageDashboardReport::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "report");
    const auto *rows = JSONFields::presentMember(object, "quotaSnapshots");
    if (!rows)
        throw DecodingError("missing \"quotaSnapshots\"");
    return {UsageQuotaSnapshot::decodeList(*rows)};
}

} // namespace pulsegrove
