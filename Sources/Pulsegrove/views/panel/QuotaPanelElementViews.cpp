#include "views/panel/QuotaPanelElementViews.h"

#include "stores/QuotaStore.h"
#include "views/EmptyStateView.h"
#include "views/LoadingStateView.h"
#include "views/ModulesHiddenStateView.h"
#include "views/cards/QuotaCard.h"
#include "views/cards/ResetCreditsMenuCard.h"
#include "views/cards/SparkQuotaCard.h"
#include "views/panel/QuotaPanelStatusLine.h"

#include <QPointer>

namespace pulsegrove {

QWidget *QuotaPanelElementViews::make(const QuotaPanelElement &element, QuotaStore &store,
                                      SystemMetricsStore &metricsStore)
{
    Q_UNUSED(metricsStore)
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
    // INSIGHTS SLOT: the reset-hints card, the model-consumption card and the system card are
    // placed here once they are part of the build; until then their modules show nothing.
    case Kind::resetHintsCard:
    case Kind::modelInsightsCard:
    case Kind::systemMetricsCard:
        return nullptr;
    }
    return nullptr;
}

} // namespace pulsegrove
