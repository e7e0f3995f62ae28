#include "views/cards/ResetCreditsMenuCardModel.h"

#include "formatting/ResetCreditExpiryFormatter.h"
#include "formatting/SystemTimeZone.h"

#include <QColor>

namespace pulsegrove {

namespace {

using MenuRow = ResetCreditsMenuCardModel::MenuRow;

QString availableCountText(std::int64_t count)
{
    return QString::number(count) + QStringLiteral(" 次可用");
}

MenuRow row(const QString &text)
{
    return {false, text};
}

} // namespace

ViewShadow ResetCreditsMenuCardModel::shadow()
{
    return {QColor::fromRgbF(0, 0, 0, 0.12f), 10, QPointF(0, 6)};
}

QString ResetCreditsMenuCardModel::faceText(const std::optional<RateLimitResetCreditsSummary> &summary)
{
    return summary ? availableCountText(summary->displayAvailableCount()) : QStringLiteral("-- 次");
}

QString
ResetCreditsMenuCardModel::accessibilityValue(const std::optional<RateLimitResetCreditsSummary> &summary)
{
    return summary ? availableCountText(summary->displayAvailableCount()) : QStringLiteral("暂无数据");
}

QList<MenuRow> ResetCreditsMenuCardModel::menuRows(const std::optional<RateLimitResetCreditsSummary> &summary,
                                                   Date now, const Environment &environment)
{
    if (summary && summary->availableCount <= 0)
        return {row(QStringLiteral("暂无可用重置次数"))};
    const std::vector<RateLimitResetCredit> credits =
        summary ? summary->availableCreditsForDisplay(now) : std::vector<RateLimitResetCredit>{};
    if (!credits.empty()) {
        QList<MenuRow> rows;
        const auto zone = SystemTimeZone::current(environment);
        for (std::size_t index = 0; index < credits.size(); ++index) {
            const std::string detail =
                ResetCreditExpiryFormatter::detailText(credits[index], now, zone, true);
            rows.append(row(QStringLiteral("第 ") + QString::number(index + 1) + QStringLiteral(" 次 · ") +
                            QString::fromStdString(detail)));
        }
        const std::int64_t returned = summary->returnedAvailableDetailCount();
        const std::int64_t missing = summary->displayAvailableCount() - returned;
        if (missing >= 1) {
            rows.append(MenuRow{true, QString()});
            rows.append(row(QStringLiteral("接口返回 ") + QString::number(returned) +
                            QStringLiteral(" 条明细，另有 ") + QString::number(missing) +
                            QStringLiteral(" 次暂无到期记录")));
        }
        return rows;
    }
    if (!summary)
        return {row(QStringLiteral("Codex 暂未返回重置次数"))};
    if (!summary->credits)
        return {row(QStringLiteral("Codex 仅返回 ") + QString::number(summary->displayAvailableCount()) +
                    QStringLiteral(" 次可用总数，未返回到期明细"))};
    return {row(QStringLiteral("未返回可用次数的到期明细"))};
}

} // namespace pulsegrove
