#pragma once

#include "foundation/Date.h"
#include "foundation/Environment.h"
#include "quota/RateLimitResetCreditsSummary.h"
#include "views/primitives/CardSurface.h"

#include <QList>
#include <QString>
#include <optional>

namespace pulsegrove {

// Texts of the reset-credit card: the count on its menu button and the rows of its menu, which
// list every available credit with its expiry or say why no list can be shown.
struct ResetCreditsMenuCardModel {
    static constexpr int padding = 13;
    static constexpr int spacing = 11;
    static constexpr int textSpacing = 3;

    static ViewShadow shadow();

    static QString symbol() { return QStringLiteral("arrow.counterclockwise.circle"); }
    static QString title() { return QStringLiteral("额度重置次数"); }
    static QString subtitle() { return QStringLiteral("全部可用到期记录"); }
    static QString toolTip() { return QStringLiteral("查看全部可用重置次数"); }
    static QString accessibilityLabel() { return title(); }

    // "-- 次" without a summary, else the count (negative counted as 0) and " 次可用".
    static QString faceText(const std::optional<RateLimitResetCreditsSummary> &summary);
    static QString accessibilityValue(const std::optional<RateLimitResetCreditsSummary> &summary);

    // One disabled menu row, or a divider between rows.
    struct MenuRow {
        bool isDivider = false;
        QString text;

        friend bool operator==(const MenuRow &, const MenuRow &) = default;
    };
    static QList<MenuRow> menuRows(const std::optional<RateLimitResetCreditsSummary> &summary, Date now,
                                   const Environment &environment = Environment::current());
};

} // namespace pulsegrove
