#include "analytics/UsageScanState.h"

#include <nlohmann/json.hpp>

namespace pulsegrove {

nlohmann::json UsageScanState::toJSON() const
{
    return {{"processedItems", processedItems}, {"totalItems", totalItems}, {"isFinished", isFinished}};
}

} // namespace pulsegrove
