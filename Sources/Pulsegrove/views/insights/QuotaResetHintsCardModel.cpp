#include "views/insights/QuotaResetHintsCardModel.h"

#include "insights/QuotaInsightsTexts.h"
#include "preferences/PulsegrovePreferenceKeys.h"

namespace pulsegrove {

std::optional<ThemeColor> QuotaResetHintsCardModel::titleColor(const QuotaResetHint &hint)
{
    return hint.isImminent ? std::optional(ThemeColor::accent()) : std::nullopt;
}

QList<QuotaResetHintsCardModel::NoticeRow> QuotaResetHintsCardModel::noticeRows(const QuotaNoticeState &state)
{
    QList<NoticeRow> rows;
    for (const QuotaNotice &notice : state.notices)
        rows.append({notice.title, notice.summary});
    if (rows.isEmpty())
        rows.append({QuotaInsightsTexts::noticePlaceholder(state.status), std::nullopt});
    return rows;
}

bool QuotaResetHintsCardModel::remindersEnabled(const UserDefaults &defaults)
{
    return defaults.boolValue(PulsegrovePreferenceKeys::resetReminders).value_or(false);
}

void QuotaResetHintsCardModel::setRemindersEnabled(UserDefaults &defaults, bool enabled)
{
    defaults.setBool(PulsegrovePreferenceKeys::resetReminders, enabled);
}

} // namespace pulsegrove
