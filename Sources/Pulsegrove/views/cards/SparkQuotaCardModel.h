#pragma once

#include "quota/RateLimitSnapshot.h"
#include "views/primitives/CardSurface.h"

#include <QString>

namespace pulsegrove {

// Texts and layout decisions of the Spark card and of its compact meters.
struct SparkQuotaCardModel {
    static constexpr int padding = 15;
    static constexpr int spacing = 13;
    static constexpr int meterSpacing = 12;
    static constexpr qreal dividerHeight = 75;

    static ViewShadow shadow();

    static QString symbol() { return QStringLiteral("sparkles"); }
    static QString defaultName() { return QStringLiteral("GPT-5.3-Codex-Spark"); }
    static QString badgeText() { return QStringLiteral("独立额度"); }
    // Spoken whatever the limit is called.
    static QString accessibilityLabel() { return QStringLiteral("GPT-5.3-Codex-Spark 独立额度"); }

    // The limit's name as reported (never markup), or the default name without one.
    static QString name(const RateLimitSnapshot &snapshot);
    // The divider only stands between two meters.
    static bool showsDivider(const RateLimitSnapshot &snapshot);
};

// One compact meter: the remaining share of a window, or placeholders without one.
struct CompactQuotaMeterModel {
    static constexpr int spacing = 7;
    static constexpr qreal barHeight = 6;
    static constexpr int resetLineLimit = 2;

    static QString percentText(const std::optional<RateLimitWindow> &window);
    static QString usedText(const std::optional<RateLimitWindow> &window);
};

} // namespace pulsegrove
