#include "views/insights/ModelConsumptionReferenceModel.h"

#include "insights/QuotaInsightsTexts.h"

#include <algorithm>

namespace pulsegrove {

std::optional<QuotaInsightsCatalog::Model>
ModelConsumptionReferenceModel::shownModel(const std::optional<QuotaInsightsCatalog> &catalog,
                                           const QString &selectedModel)
{
    if (!catalog || catalog->models.isEmpty())
        return std::nullopt;
    const auto &models = catalog->models;
    const auto selected =
        std::find_if(models.cbegin(), models.cend(),
                     [&](const QuotaInsightsCatalog::Model &model) { return model.id == selectedModel; });
    return selected != models.cend() ? *selected : models.first();
}

QList<ModelConsumptionReferenceModel::Row>
ModelConsumptionReferenceModel::rows(const std::optional<QuotaInsightsCatalog> &catalog,
                                     const ViewState &state, const QLocale &locale)
{
    const auto model = shownModel(catalog, state.selectedModel);
    if (!model)
        return {};
    return {
        {QuotaInsightsTexts::standardRatesText(*model, locale), !state.fastMode},
        {QuotaInsightsTexts::fastModeText(*model, locale), state.fastMode},
        {QuotaInsightsTexts::reasoningEffortText(), false},
        {QuotaInsightsTexts::verifiedDateText(*catalog), false},
    };
}

} // namespace pulsegrove
