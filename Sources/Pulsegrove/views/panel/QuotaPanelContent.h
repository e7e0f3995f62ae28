#pragma once

#include "preferences/QuotaModule.h"
#include "quota/QuotaSnapshot.h"

#include <QString>
#include <optional>
#include <vector>

namespace pulsegrove {

// One element of the panel's content column with the inputs it is built from. Two equal elements
// show the same thing, so the panel keeps a card whose element did not change.
struct QuotaPanelElement {
    enum class Kind {
        modulesHidden,
        loading,
        empty,
        quotaCard,
        sparkCard,
        resetCreditsCard,
        resetHintsCard,
        modelInsightsCard,
        systemMetricsCard,
        statusLine,
    };

    Kind kind = Kind::empty;
    // quotaCard: its title, short label and window.
    QString title;
    QString shortLabel;
    std::optional<RateLimitWindow> window;
    // sparkCard: the Spark limit.
    std::optional<RateLimitSnapshot> spark;
    // resetCreditsCard: the summary, absent when Codex returned none.
    std::optional<RateLimitResetCreditsSummary> resetCredits;
    // empty: the store's error message; statusLine: the same, with the snapshot and staleness.
    std::optional<QString> message;
    // resetHintsCard and statusLine: the snapshot and whether it is stale.
    std::optional<QuotaSnapshot> snapshot;
    bool isStale = false;

    friend bool operator==(const QuotaPanelElement &, const QuotaPanelElement &) = default;
};

// What the content column shows, in order, for the store's state.
struct QuotaPanelContent {
    struct Inputs {
        std::optional<QuotaSnapshot> snapshot;
        bool isRefreshing = false;
        std::optional<QString> errorMessage;
        bool isStale = false;
        QuotaModuleSet visibleModules;
    };

    static QString fiveHourTitle() { return QStringLiteral("5 小时额度"); }
    static QString fiveHourShortLabel() { return QStringLiteral("5H"); }
    static QString weeklyTitle() { return QStringLiteral("每周额度"); }
    static QString weeklyShortLabel() { return QStringLiteral("7D"); }

    // The standard quota, the Spark quota or the reset credits is visible.
    static bool hasVisibleQuotaModules(const QuotaModuleSet &visibleModules);

    // With no module visible only the hidden-modules state; otherwise the quota section, the
    // reset hints, the model reference, the system card and, when there is a snapshot and a quota
    // module is visible, the status line.
    static std::vector<QuotaPanelElement> elements(const Inputs &inputs);

private:
    // The loading or empty state without a snapshot, else the quota cards.
    static void appendQuotaContent(const Inputs &inputs, std::vector<QuotaPanelElement> &elements);
};

} // namespace pulsegrove
