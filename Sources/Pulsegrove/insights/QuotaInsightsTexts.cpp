#include "insights/QuotaInsightsTexts.h"

namespace pulsegrove {

QString QuotaInsightsTexts::modelConsumptionTitle()
{
    return QStringLiteral("模型消耗参考");
}

QString QuotaInsightsTexts::modelConsumptionExplanation()
{
    return QStringLiteral("credits / 100 万 tokens；不是每次请求额度百分比");
}

QString QuotaInsightsTexts::standardRatesText(const QuotaInsightsCatalog::Model &model, const QLocale &locale)
{
    if (!model.input || !model.cachedInput || !model.output)
        return QStringLiteral("独立额度，暂无已公布的可比 credits 费率");
    return QStringLiteral("标准：输入 ") + formattedNumber(*model.input, locale) +
           QStringLiteral(" / 缓存 ") + formattedNumber(*model.cachedInput, locale) +
           QStringLiteral(" / 输出 ") + formattedNumber(*model.output, locale);
}

QString QuotaInsightsTexts::fastModeText(const QuotaInsightsCatalog::Model &model, const QLocale &locale)
{
    if (!model.fastMultiplier)
        return QStringLiteral("加速倍率暂无已核实官方数据");
    return QStringLiteral("加速（如可用）：标准消耗的 ") + formattedNumber(*model.fastMultiplier, locale) +
           QStringLiteral("×");
}

QString QuotaInsightsTexts::reasoningEffortText()
{
    return QStringLiteral("各推理强度无已公布固定倍率");
}

QString QuotaInsightsTexts::verifiedDateText(const QuotaInsightsCatalog &catalog)
{
    return QStringLiteral("核实日期：") + catalog.verifiedAt.left(10);
}

QString QuotaInsightsTexts::formattedNumber(double value, const QLocale &locale)
{
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

QString QuotaInsightsTexts::resetHintTitle()
{
    return QStringLiteral("重置提示");
}

QString QuotaInsightsTexts::noticePlaceholder(QuotaNoticeState::Status status)
{
    switch (status) {
    case QuotaNoticeState::Status::idle:
    case QuotaNoticeState::Status::loading:
        return QStringLiteral("正在检查已核实公告…");
    case QuotaNoticeState::Status::fresh:
        return QStringLiteral("暂无已确认的临时重置公告");
    case QuotaNoticeState::Status::stale:
        return QStringLiteral("公告资料已过期，等待更新");
    case QuotaNoticeState::Status::unavailable:
        break;
    }
    return QStringLiteral("暂时无法检查临时重置公告");
}

} // namespace pulsegrove
