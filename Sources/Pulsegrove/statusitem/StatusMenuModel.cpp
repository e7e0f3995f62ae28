#include "statusitem/StatusMenuModel.h"

#include "formatting/QuotaResetFormatter.h"
#include "formatting/ResetCreditExpiryFormatter.h"
#include "insights/QuotaInsightsTexts.h"
#include "preferences/CodexPlanTier.h"

#include <cmath>

namespace pulsegrove {

namespace {

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString text(const std::string &utf8)
{
    return QString::fromStdString(utf8);
}

QString text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

constexpr double bytesPerGigabyte = 1024.0 * 1024.0 * 1024.0;

} // namespace

QString StatusMenuModel::actionText(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString StatusMenuModel::headerTitle(const std::optional<QuotaSnapshot> &snapshot, bool isStale)
{
    const QString plan = snapshot && snapshot->planType()
                             ? text(CodexPlanTier(*snapshot->planType()).displayName())
                             : QStringLiteral("CODEX");
    const QString status = !snapshot ? text("等待") : isStale ? text("缓存") : text("实时");
    return QStringLiteral("Pulse Grove · ") + plan + QStringLiteral(" · ") + status;
}

QString StatusMenuModel::fiveHourLabel()
{
    return text("5 小时额度");
}

QString StatusMenuModel::weeklyLabel()
{
    return text("每周额度");
}

StatusMenuModel::QuotaRows StatusMenuModel::quotaRows(const QString &label,
                                                      const std::optional<RateLimitWindow> &window, Date now,
                                                      const TimeZone &zone)
{
    if (!window)
        return {label + text("：--%"), text("暂无数据")};
    return {label + text("：") + QString::number(window->remainingPercent()) + text("% 剩余"),
            text(QuotaResetFormatter::detailText(*window, now, zone, false))};
}

QString StatusMenuModel::sparkSectionTitle(const std::optional<RateLimitSnapshot> &spark)
{
    const QString name =
        spark && spark->limitName ? text(*spark->limitName) : QStringLiteral("GPT-5.3-Codex-Spark");
    return name + text(" 额度");
}

std::optional<QString> StatusMenuModel::quotaStatusTitle(bool hasError, bool isStale, bool hasSnapshot)
{
    if (hasError)
        return hasSnapshot ? text("刷新失败，当前显示上次数据") : text("刷新失败，暂无可用数据");
    if (isStale && hasSnapshot)
        return text("当前显示缓存数据");
    return std::nullopt;
}

StatusMenuModel::ResetCredits
StatusMenuModel::resetCredits(const std::optional<RateLimitResetCreditsSummary> &summary, Date now,
                              const TimeZone &zone)
{
    if (!summary)
        return {text("重置次数：-- 次"), {{text("Codex 暂未返回重置次数"), {}}}};
    const std::int64_t available = std::max<std::int64_t>(summary->availableCount, 0);
    ResetCredits result{text("重置次数：") + QString::number(available) + text(" 次可用"), {}};
    if (summary->availableCount < 1) {
        result.rows.append({text("暂无可用重置次数"), {}});
        return result;
    }
    const auto credits = summary->availableCreditsForDisplay(now);
    if (credits.empty()) {
        result.rows.append({summary->credits ? text("未返回可用次数的到期明细")
                                             : text("Codex 仅返回 ") + QString::number(available) +
                                                   text(" 次可用总数，未返回到期明细"),
                            {}});
        return result;
    }
    for (std::size_t index = 0; index < credits.size(); ++index) {
        const QString symbol =
            index == 0 ? QStringLiteral("clock.badge.exclamationmark") : QStringLiteral("clock");
        result.rows.append({text("第 ") + QString::number(index + 1) + text(" 次 · ") +
                                text(ResetCreditExpiryFormatter::detailText(credits[index], now, zone, true)),
                            symbol});
    }
    const std::int64_t returned = summary->returnedAvailableDetailCount();
    if (available - returned >= 1)
        result.rows.append({text("接口返回 ") + QString::number(returned) + text(" 条明细，另有 ") +
                                QString::number(available - returned) + text(" 次暂无到期记录"),
                            {},
                            true});
    return result;
}

StatusMenuModel::StyleSwitch StatusMenuModel::styleSwitch(QuotaPanelStyle current)
{
    if (current == QuotaPanelStyle::system)
        return {text("切换到信息面板样式"), QStringLiteral("rectangle.3.group"), QuotaPanelStyle::dashboard};
    return {text("切换到系统菜单"), QStringLiteral("menubar.rectangle"), QuotaPanelStyle::system};
}

QString StatusMenuModel::refreshTitle(bool isRefreshing)
{
    return isRefreshing ? text("正在刷新额度…") : text("立即刷新");
}

QString StatusMenuModel::launchAtLoginTitle(bool needsApproval)
{
    return needsApproval ? text("开机自动启动（等待批准）") : text("开机自动启动");
}

StatusMenuModel::MetricsRows
StatusMenuModel::metricsRows(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale)
{
    const QString thermal =
        snapshot ? text(SystemThermalStates::displayName(snapshot->thermalState)) : QStringLiteral("--");
    MetricsRows rows;
    if (snapshot && snapshot->cpuTemperatureCelsius && !isStale) {
        rows.temperature = text(CPUTemperatureSources::displayName(snapshot->temperatureSource)) +
                           text("：") + QString::asprintf("%.0f", *snapshot->cpuTemperatureCelsius) +
                           text("°C");
        rows.temperatureDetail = text("温度状态：") +
                                 text(TemperatureSeverities::displayName(snapshot->temperatureSeverity())) +
                                 text(" · 系统热状态：") + thermal;
    } else {
        rows.temperature = text("CPU 核心温度：--°C");
        const QString reason = snapshot && isStale ? text("数据暂停") : text("温度传感器不可用");
        rows.temperatureDetail = reason + text(" · 系统热状态：") + thermal;
    }
    rows.cpuUsage =
        text("CPU 占用：") + percentText(snapshot ? snapshot->cpuUsagePercent : std::nullopt, isStale);
    rows.memory = memoryTitle(snapshot, isStale);
    return rows;
}

QString StatusMenuModel::percentText(std::optional<double> value, bool isStale)
{
    if (!value || isStale || !std::isfinite(*value))
        return QStringLiteral("--%");
    // std::round rounds halves away from zero.
    return QString::number(std::round(*value), 'f', 0) + QLatin1Char('%');
}

QString StatusMenuModel::memoryTitle(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale)
{
    if (!snapshot || isStale || !snapshot->memoryUsedPercent || !snapshot->memoryUsedBytes ||
        !snapshot->memoryTotalBytes)
        return text("内存使用：--%");
    return QString::asprintf("内存使用：%.0f%% · %.1f / %.0f GB", *snapshot->memoryUsedPercent,
                             double(*snapshot->memoryUsedBytes) / bytesPerGigabyte,
                             double(*snapshot->memoryTotalBytes) / bytesPerGigabyte);
}

QString StatusMenuModel::temperatureSummary(const std::optional<SystemMetricsSnapshot> &snapshot,
                                            bool isStale)
{
    if (!snapshot || !snapshot->cpuTemperatureCelsius || isStale)
        return text("CPU 核心温度不可用");
    return text(CPUTemperatureSources::displayName(snapshot->temperatureSource)) + QLatin1Char(' ') +
           QString::asprintf("%.0f", *snapshot->cpuTemperatureCelsius) + text("°C");
}

StatusMenuModel::ModelInsights
StatusMenuModel::modelInsights(const std::optional<QuotaInsightsCatalog> &catalog)
{
    ModelInsights insights{QuotaInsightsTexts::modelConsumptionExplanation(), {}, std::nullopt};
    if (!catalog)
        return insights;
    for (const auto &model : catalog->models)
        insights.models.append(
            {model.name,
             {QuotaInsightsTexts::standardRatesText(model), QuotaInsightsTexts::fastModeText(model),
              QuotaInsightsTexts::reasoningEffortText()}});
    insights.verifiedDate = QuotaInsightsTexts::verifiedDateText(*catalog);
    return insights;
}

QStringList StatusMenuModel::noticeRows(const QuotaNoticeState &state)
{
    if (state.notices.isEmpty())
        return {QuotaInsightsTexts::noticePlaceholder(state.status)};
    QStringList rows;
    for (const auto &notice : state.notices)
        rows << notice.title << notice.summary;
    return rows;
}

StatusMenuModel::Visibility StatusMenuModel::visibility(const std::optional<QuotaSnapshot> &snapshot,
                                                        const QuotaModuleSet &modules, bool quotaStatusShown)
{
    const auto shows = [&](QuotaModule module) { return modules.contains(module); };
    const bool noData = !snapshot;
    const auto &spark = snapshot ? snapshot->spark() : std::nullopt;
    Visibility v;
    v.fiveHour = shows(QuotaModule::standardQuota) && (noData || snapshot->fiveHour());
    v.weekly = shows(QuotaModule::standardQuota) && (noData || snapshot->weekly());
    v.normalSection = v.fiveHour || v.weekly;
    v.sparkFiveHour = shows(QuotaModule::sparkQuota) && (noData || (spark && spark->fiveHourWindow()));
    v.sparkWeekly = shows(QuotaModule::sparkQuota) && (noData || (spark && spark->weeklyWindow()));
    v.sparkSection = v.sparkFiveHour || v.sparkWeekly;
    v.resetCredits = shows(QuotaModule::resetCredits);
    v.modelInsights = shows(QuotaModule::modelInsights);
    v.resetHint = shows(QuotaModule::resetHints);
    v.metrics = shows(QuotaModule::systemMetrics);
    const bool quotaArea = v.normalSection || v.sparkSection || v.resetCredits;
    v.quotaStatus = quotaStatusShown && quotaArea;
    v.normalSparkSeparator = v.normalSection && v.sparkSection;
    v.quotaDeviceSeparator = quotaArea && v.metrics;
    v.actionsSeparator = quotaArea || v.metrics;
    return v;
}

} // namespace pulsegrove
