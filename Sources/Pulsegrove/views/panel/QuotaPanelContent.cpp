#include "views/panel/QuotaPanelContent.h"

namespace pulsegrove {

namespace {

using Kind = QuotaPanelElement::Kind;

QuotaPanelElement elementOf(Kind kind)
{
    QuotaPanelElement element;
    element.kind = kind;
    return element;
}

QuotaPanelElement quotaCard(const QString &title, const QString &shortLabel, const RateLimitWindow &window)
{
    QuotaPanelElement element = elementOf(Kind::quotaCard);
    element.title = title;
    element.shortLabel = shortLabel;
    element.window = window;
    return element;
}

} // namespace

bool QuotaPanelContent::hasVisibleQuotaModules(const QuotaModuleSet &visibleModules)
{
    return visibleModules.contains(QuotaModule::standardQuota) ||
           visibleModules.contains(QuotaModule::sparkQuota) ||
           visibleModules.contains(QuotaModule::resetCredits);
}

std::vector<QuotaPanelElement> QuotaPanelContent::elements(const Inputs &inputs)
{
    const QuotaModuleSet &modules = inputs.visibleModules;
    if (modules.empty())
        return {elementOf(Kind::modulesHidden)};

    std::vector<QuotaPanelElement> elements;
    const bool showsQuota = hasVisibleQuotaModules(modules);
    if (showsQuota)
        appendQuotaContent(inputs, elements);
    if (modules.contains(QuotaModule::resetHints)) {
        QuotaPanelElement hints = elementOf(Kind::resetHintsCard);
        hints.snapshot = inputs.snapshot;
        hints.isStale = inputs.isStale;
        elements.push_back(std::move(hints));
    }
    if (modules.contains(QuotaModule::modelInsights))
        elements.push_back(elementOf(Kind::modelInsightsCard));
    if (modules.contains(QuotaModule::systemMetrics))
        elements.push_back(elementOf(Kind::systemMetricsCard));
    if (inputs.snapshot && showsQuota) {
        QuotaPanelElement status = elementOf(Kind::statusLine);
        status.snapshot = inputs.snapshot;
        status.message = inputs.errorMessage;
        status.isStale = inputs.isStale;
        elements.push_back(std::move(status));
    }
    return elements;
}

void QuotaPanelContent::appendQuotaContent(const Inputs &inputs, std::vector<QuotaPanelElement> &elements)
{
    if (!inputs.snapshot) {
        if (inputs.isRefreshing) {
            elements.push_back(elementOf(Kind::loading));
        } else {
            QuotaPanelElement empty = elementOf(Kind::empty);
            empty.message = inputs.errorMessage;
            elements.push_back(std::move(empty));
        }
        return;
    }
    const QuotaSnapshot &snapshot = *inputs.snapshot;
    const QuotaModuleSet &modules = inputs.visibleModules;
    if (modules.contains(QuotaModule::standardQuota)) {
        if (snapshot.fiveHour())
            elements.push_back(quotaCard(fiveHourTitle(), fiveHourShortLabel(), *snapshot.fiveHour()));
        if (snapshot.weekly())
            elements.push_back(quotaCard(weeklyTitle(), weeklyShortLabel(), *snapshot.weekly()));
    }
    if (modules.contains(QuotaModule::sparkQuota) && snapshot.spark() &&
        snapshot.spark()->hasRecognizedWindow()) {
        QuotaPanelElement spark = elementOf(Kind::sparkCard);
        spark.spark = snapshot.spark();
        elements.push_back(std::move(spark));
    }
    if (modules.contains(QuotaModule::resetCredits)) {
        QuotaPanelElement credits = elementOf(Kind::resetCreditsCard);
        credits.resetCredits = snapshot.resetCredits();
        elements.push_back(std::move(credits));
    }
}

} // namespace pulsegrove
