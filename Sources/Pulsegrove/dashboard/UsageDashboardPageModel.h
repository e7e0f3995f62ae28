#pragma once

#include "analytics/UsageQuotaSnapshot.h"
#include "foundation/Date.h"
#include "foundation/Environment.h"

#include <QString>
#include <optional>
#include <string>

namespace pulsegrove {

// The texts of the usage dashboard page, computed from the rows exactly as the page receives them.
struct UsageDashboardPageModel {
    UsageDashboardPageModel() = delete;

    static QString title();
    // Says what this page does not show: there is no scan of local usage records.
    static QString scopeNote();
    static QString loadingMessage();
    static QString emptyMessage();
    // Shown when an event's data cannot be read; the rows already shown stay.
    static QString unreadableMessage();
    // A load that failed without a message of its own.
    static QString loadFailedMessage();

    static QString windowTag(UsageQuotaWindow window);
    // Rounded and clamped to 0...100, followed by "%".
    static QString percentText(double percent);
    static QString usedText(double usedPercent);
    // The reset time in the calendar of the environment's zone, "重置于 3月5日 14:05"; a missing
    // or unreadable time gives "重置时间未知".
    static QString resetText(const std::optional<std::string> &resetAt, Date now,
                             const Environment &environment);
    static QString capturedText(const std::string &capturedAt, Date now, const Environment &environment);
    static std::optional<QString> staleMark(bool isStale);
    // The bar's percentage: the remaining share rounded and clamped.
    static qint64 barPercent(double remainingPercent);
};

} // namespace pulsegrove
