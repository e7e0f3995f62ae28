#pragma once

#include "UserDefaults.h"
#include "insights/QuotaNoticeState.h"
#include "insights/QuotaResetHint.h"
#include "views/primitives/ThemeColor.h"

#include <QList>
#include <QString>
#include <optional>

namespace pulsegrove {

// The texts, colours and rows of the panel's reset-hints card.
struct QuotaResetHintsCardModel {
    static constexpr int padding = 14;
    static constexpr int spacing = 10;
    static constexpr int headerSpacing = 8;
    static constexpr int noticeSpacing = 8;
    static constexpr int noticeTextSpacing = 3;

    // One row of the notice list: a notice's title and summary, or a lone placeholder line.
    struct NoticeRow {
        QString title;
        std::optional<QString> summary;

        friend bool operator==(const NoticeRow &, const NoticeRow &) = default;
    };

    static QString symbol() { return QStringLiteral("clock.badge.exclamationmark"); }
    static QString reminderLabel() { return QStringLiteral("重置提醒"); }
    static QString noticesLabel() { return QStringLiteral("临时重置公告"); }

    static QString title(const QuotaResetHint &hint) { return QString::fromStdString(hint.title); }
    static QString detail(const QuotaResetHint &hint) { return QString::fromStdString(hint.detail); }
    // An imminent reset is written in the accent; any other hint in the window's text colour.
    static std::optional<ThemeColor> titleColor(const QuotaResetHint &hint);

    // The notices in feed order, or the one line that says why there are none.
    static QList<NoticeRow> noticeRows(const QuotaNoticeState &state);

    // The reminder switch is the stored preference itself: absent (or not a Bool) reads as off.
    static bool remindersEnabled(const UserDefaults &defaults);
    static void setRemindersEnabled(UserDefaults &defaults, bool enabled);
};

} // namespace pulsegrove
