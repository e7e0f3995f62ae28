#pragma once

#include "foundation/Date.h"
#include "foundation/Environment.h"
#include "quota/RateLimitWindow.h"
#include "views/primitives/CardSurface.h"

#include <QString>
#include <optional>

namespace pulsegrove {

// Texts and measures of the quota card of one window of the standard quota, and the percent and
// reset texts that the Spark card's meters share.
struct QuotaCardModel {
    static constexpr int padding = 16;
    static constexpr int spacing = 13;
    static constexpr qreal barHeight = 9;
    static constexpr qreal resetMinimumScaleFactor = 0.72;

    static ViewShadow shadow();

    // A percentage as a decimal integer followed by "%" (85 → "85%", -5 → "-5%").
    static QString percentText(qint64 percent);
    // The remaining share, clamped to 0...100.
    static QString remainingText(const RateLimitWindow &window);
    // "已用 " and the used share as reported, unclamped.
    static QString usedText(const RateLimitWindow &window);
    static QString remainingSuffix() { return QStringLiteral("剩余"); }
    static QString noDataText() { return QStringLiteral("暂无数据"); }
    static QString missingWindowText() { return QStringLiteral("Codex 暂未提供这个额度窗口"); }
    static QString missingWindowSymbol() { return QStringLiteral("info.circle"); }
    static QString usedSymbol() { return QStringLiteral("gauge.with.dots.needle.33percent"); }
    static QString resetSymbol() { return QStringLiteral("arrow.counterclockwise"); }

    // The countdown and the exact reset time, at `now`, in the environment's time zone.
    static QString resetText(const RateLimitWindow &window, Date now,
                             const Environment &environment = Environment::current());
};

} // namespace pulsegrove
