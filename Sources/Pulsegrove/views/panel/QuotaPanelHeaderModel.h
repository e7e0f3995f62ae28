#pragma once

#include "preferences/CodexPlanTier.h"
#include "quota/QuotaSnapshot.h"
#include "views/primitives/ThemeColor.h"

#include <QString>
#include <optional>

namespace pulsegrove {

// Texts and colours of the panel's header: which quota windows are known, the plan and whether
// the data is live.
struct QuotaPanelHeaderModel {
    static constexpr int spacing = 10;
    static constexpr int horizontalPadding = 16;
    static constexpr int verticalPadding = 13;
    static constexpr qreal markSide = 32;
    static constexpr qreal markCornerRadius = 12;
    static constexpr qreal markSymbolPoints = 17;
    static constexpr qreal dotSide = 6;

    static QString title() { return QStringLiteral("Pulse Grove"); }
    static QString markSymbol() { return QStringLiteral("bolt.horizontal.fill"); }

    // Names the windows the snapshot carries; without a snapshot or without either window it
    // speaks of the live quota and the machine's state.
    static QString subtitle(const std::optional<QuotaSnapshot> &snapshot);
    // The plan of the snapshot; nothing without a snapshot or without a plan type.
    static std::optional<CodexPlanTier> planTier(const std::optional<QuotaSnapshot> &snapshot);
    // "等待" without a snapshot, "缓存" for stale data, "实时" otherwise.
    static QString freshnessText(bool hasSnapshot, bool isStale);
    static ThemeColor freshnessDotColor(bool isStale);
};

} // namespace pulsegrove
