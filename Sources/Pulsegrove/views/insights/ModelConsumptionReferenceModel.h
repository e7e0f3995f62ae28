#pragma once

#include "insights/QuotaInsightsCatalog.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <optional>

namespace pulsegrove {

// The view state and rows of the panel's model-consumption card.
struct ModelConsumptionReferenceModel {
    static constexpr int padding = 14;
    static constexpr int spacing = 10;
    static constexpr int headerSpacing = 8;
    static constexpr int rowSpacing = 5;

    // What the card remembers while it lives; it starts collapsed on the default model.
    struct ViewState {
        bool isExpanded = false;
        QString selectedModel = QStringLiteral("gpt-5.4");
        bool fastMode = false;
        QString effort = QStringLiteral("high");

        friend bool operator==(const ViewState &, const ViewState &) = default;
    };

    struct Row {
        QString text;
        // Drawn in the window's text colour rather than the secondary one.
        bool isEmphasized = false;

        friend bool operator==(const Row &, const Row &) = default;
    };

    static QString symbol() { return QStringLiteral("chart.bar.xaxis"); }
    static QString fastModeLabel() { return QStringLiteral("加速"); }

    // The model the rows describe: the selected one when the catalog lists it, else the first.
    static std::optional<QuotaInsightsCatalog::Model>
    shownModel(const std::optional<QuotaInsightsCatalog> &catalog, const QString &selectedModel);
    // The rows under the explanation while expanded: nothing without a catalog or without a
    // model; else the standard rates, the fast-mode rate (emphasized while the fast mode is on),
    // the reasoning-effort note and the verification date.
    static QList<Row> rows(const std::optional<QuotaInsightsCatalog> &catalog, const ViewState &state,
                           const QLocale &locale = QLocale());
};

} // namespace pulsegrove
