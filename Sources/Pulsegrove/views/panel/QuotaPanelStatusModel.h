#pragma once

#include "foundation/Date.h"
#include "quota/QuotaSnapshot.h"

#include <QLocale>
#include <QString>
#include <QTimeZone>
#include <optional>

namespace pulsegrove {

// The status line at the end of the content column: when the quota was read and how it is kept
// fresh, that cached data is shown, or that the last refresh failed.
struct QuotaPanelStatusModel {
    static constexpr int spacing = 8;
    // A failure message wraps onto at most two lines; the other texts are short.
    static constexpr int failureLineLimit = 2;

    static QString symbolName(const std::optional<QString> &errorMessage);
    // The failure with the store's message verbatim; else, for live data, the short time of the
    // read; else the time with seconds of the cached read. Times are in `locale` and `zone` (the
    // user's, TZ honoured, unless a test says otherwise).
    static QString text(const QuotaSnapshot &snapshot, const std::optional<QString> &errorMessage,
                        bool isStale, const QLocale &locale = QLocale::system(),
                        const QTimeZone &zone = QTimeZone::systemTimeZone());
    // 0 means no limit.
    static int lineLimit(const std::optional<QString> &errorMessage);

    // A time without a date: the locale's short style, or its style with seconds (the long style
    // without a zone name). "--" for an instant the calendar cannot hold.
    static QString shortTime(Date date, const QLocale &locale, const QTimeZone &zone);
    static QString timeWithSeconds(Date date, const QLocale &locale, const QTimeZone &zone);
};

} // namespace pulsegrove
