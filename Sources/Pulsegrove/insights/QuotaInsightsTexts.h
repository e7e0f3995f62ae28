#pragma once

#include "insights/QuotaInsightsCatalog.h"
#include "insights/QuotaNoticeState.h"

#include <QLocale>
#include <QString>

namespace pulsegrove {

// The texts of the model-consumption reference and of the reset notices, shared by the native
// menu and the panel's cards so both say exactly the same.
struct QuotaInsightsTexts {
    QuotaInsightsTexts() = delete;

    static QString modelConsumptionTitle();
    // The first line of every model-consumption surface: what the numbers are and are not.
    static QString modelConsumptionExplanation();
    // "标准：输入 1.25 / 缓存 0.125 / 输出 10" when all three rates are known.
    static QString standardRatesText(const QuotaInsightsCatalog::Model &model,
                                     const QLocale &locale = QLocale());
    static QString fastModeText(const QuotaInsightsCatalog::Model &model, const QLocale &locale = QLocale());
    static QString reasoningEffortText();
    // "核实日期：" and the first 10 characters of the catalog's verification date.
    static QString verifiedDateText(const QuotaInsightsCatalog &catalog);
    // A rate in the locale's own number format, with as many decimals as the value needs.
    static QString formattedNumber(double value, const QLocale &locale = QLocale());

    static QString resetHintTitle();
    // The line that stands in for the notice list when it is empty.
    static QString noticePlaceholder(QuotaNoticeState::Status status);
};

} // namespace pulsegrove
