#pragma once

#include "formatting/SystemTimeZone.h"
#include "foundation/Date.h"
#include "insights/QuotaInsightsCatalog.h"
#include "insights/QuotaNoticeState.h"
#include "insights/QuotaResetHint.h"
#include "metrics/SystemMetricsSnapshot.h"
#include "preferences/QuotaModule.h"
#include "preferences/QuotaPanelStyle.h"
#include "quota/QuotaSnapshot.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace pulsegrove {

// The texts and the visibility of the native menu's rows, as plain functions of the stores' data.
// Times come from the caller, so equal inputs always give equal texts.
struct StatusMenuModel {
    StatusMenuModel() = delete;

    // Whatever zone type the formatters take, without naming it here.
    using TimeZone = decltype(SystemTimeZone::current(std::declval<const Environment &>()));

    // One row of a submenu: disabled, without action.
    struct Row {
        QString text;
        QString symbol;
        bool separatorBefore = false;
        friend bool operator==(const Row &, const Row &) = default;
    };
    // A quota row and its detail row below it.
    struct QuotaRows {
        QString title;
        QString detail;
        friend bool operator==(const QuotaRows &, const QuotaRows &) = default;
    };
    struct ResetCredits {
        QString title;
        QList<Row> rows;
    };
    struct MetricsRows {
        QString temperature;
        QString temperatureDetail;
        QString cpuUsage;
        QString memory;
        friend bool operator==(const MetricsRows &, const MetricsRows &) = default;
    };
    // Which rows show; the header, the action rows and the quit row always do.
    struct Visibility {
        bool normalSection = false, fiveHour = false, weekly = false;
        bool sparkSection = false, sparkFiveHour = false, sparkWeekly = false;
        bool quotaStatus = false, resetCredits = false, modelInsights = false, resetHint = false;
        bool metrics = false;
        bool normalSparkSeparator = false, quotaDeviceSeparator = false, actionsSeparator = false;
        friend bool operator==(const Visibility &, const Visibility &) = default;
    };

    // "Pulse Grove · PLUS · 实时", "… · 缓存", "Pulse Grove · CODEX · 等待".
    // A row's text as a menu action takes it: "&" is doubled so that a plan, limit, model or notice
    // name never turns a letter into an underlined mnemonic or loses its ampersand.
    static QString actionText(const QString &text);

    static QString headerTitle(const std::optional<QuotaSnapshot> &snapshot, bool isStale);
    // "5 小时额度：70% 剩余" and the window's reset detail, or "5 小时额度：--%" and "暂无数据".
    static QuotaRows quotaRows(const QString &label, const std::optional<RateLimitWindow> &window, Date now,
                               const TimeZone &zone);
    static QString fiveHourLabel();
    static QString weeklyLabel();
    // The Spark limit's name, else "GPT-5.3-Codex-Spark", followed by " 额度".
    static QString sparkSectionTitle(const std::optional<RateLimitSnapshot> &spark);
    // The warning under the quota rows; nothing when it is hidden.
    static std::optional<QString> quotaStatusTitle(bool hasError, bool isStale, bool hasSnapshot);
    static ResetCredits resetCredits(const std::optional<RateLimitResetCreditsSummary> &summary, Date now,
                                     const TimeZone &zone);
    // The row that switches to the other panel style, in either style: its text, symbol and target.
    struct StyleSwitch {
        QString title;
        QString symbol;
        QuotaPanelStyle target;
    };
    static StyleSwitch styleSwitch(QuotaPanelStyle current);
    static QString refreshTitle(bool isRefreshing);
    static QString launchAtLoginTitle(bool needsApproval);

    static MetricsRows metricsRows(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale);
    // "--%" when absent, stale or not finite; else the nearest integer (halves away from zero).
    static QString percentText(std::optional<double> value, bool isStale);
    // "内存使用：50% · 8.0 / 16 GB", or "内存使用：--%".
    static QString memoryTitle(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale);
    // "CPU 核心热点 62°C" for the tool tip, or "CPU 核心温度不可用".
    static QString temperatureSummary(const std::optional<SystemMetricsSnapshot> &snapshot, bool isStale);

    // The model-consumption submenu: its explanatory first row, one entry per model with the rows
    // of its own submenu, and the verification date; only the first row without a catalog.
    struct ModelEntry {
        QString name;
        QStringList rows;
        friend bool operator==(const ModelEntry &, const ModelEntry &) = default;
    };
    struct ModelInsights {
        QString explanation;
        QList<ModelEntry> models;
        std::optional<QString> verifiedDate;
        friend bool operator==(const ModelInsights &, const ModelInsights &) = default;
    };
    static ModelInsights modelInsights(const std::optional<QuotaInsightsCatalog> &catalog);
    // The rows under the hint's detail: each notice's title and summary, or the line that tells
    // why there are none.
    static QStringList noticeRows(const QuotaNoticeState &state);

    static Visibility visibility(const std::optional<QuotaSnapshot> &snapshot, const QuotaModuleSet &modules,
                                 bool quotaStatusShown);
};

} // namespace pulsegrove
