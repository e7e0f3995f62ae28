#include "views/panel/QuotaPanelElementViews.h"

#include "stores/QuotaStore.h"
#include "views/EmptyStateView.h"
#include "views/LoadingStateView.h"
#include "views/ModulesHiddenStateView.h"
#include "views/cards/QuotaCard.h"
#include "views/cards/ResetCreditsMenuCard.h"
#include "views/cards/SparkQuotaCard.h"
#include "views/insights/ModelConsumptionReferenceCard.h"
#include "views/insights/QuotaResetHintsCard.h"
#include "views/panel/QuotaPanelStatusLine.h"
#include "views/system/SystemMetricsCard.h"

#include <QPointer>

namespace pulsegrove {

QWidget *QuotaPanelElementViews::make(const QuotaPanelElement &element, QuotaStore &store,
                                      SystemMetricsStore &metricsStore)
{
    using Kind = QuotaPanelElement::Kind;
    switch (element.kind) {
    case Kind::modulesHidden: {
        // The handler is read when the button is pressed, and only while the store exists.
        QPointer<QuotaStore> guardedStore(&store);
        return new ModulesHiddenStateView([guardedStore] {
            if (guardedStore && guardedStore->moduleSettingsRequestHandler)
                guardedStore->moduleSettingsRequestHandler();
        });
    }
    case Kind::loading:
        return new LoadingStateView;
    case Kind::empty:
        return new EmptyStateView(element.message);
    case Kind::quotaCard:
        return new QuotaCard(element.title, element.shortLabel, element.window);
    case Kind::sparkCard:
        return new SparkQuotaCard(*element.spark);
    case Kind::resetCreditsCard:
        return new ResetCreditsMenuCard(element.resetCredits);
    case Kind::statusLine:
        return new QuotaPanelStatusLine(*element.snapshot, element.message, element.isStale);
    case Kind::resetHintsCard:
        return new QuotaResetHintsCard(element.snapshot, element.isStale);
    case Kind::modelInsightsCard:
        return new ModelConsumptionReferenceCard;
    case Kind::systemMetricsCard:
        return new SystemMetricsCard(metricsStore);
    }
    return nullptr;
}

void QuotaPanelElementViews::carryViewState(const QWidget &from, QWidget &to)
{
    if (const auto *hints = qobject_cast<const QuotaResetHintsCard *>(&from)) {
        if (auto *replacement = qobject_cast<QuotaResetHintsCard *>(&to))
            replacement->setShowNotices(hints->showNotices());
        return;
    }
    if (const auto *reference = qobject_cast<const ModelConsumptionReferenceCard *>(&from)) {
        if (auto *replacement = qobject_cast<ModelConsumptionReferenceCard *>(&to)) {
            const auto &state = reference->viewState();
            replacement->setSelectedModel(state.selectedModel);
            replacement->setFastMode(state.fastMode);
            replacement->setExpanded(state.isExpanded);
        }
    }
}

} // namespace pulsegrove
