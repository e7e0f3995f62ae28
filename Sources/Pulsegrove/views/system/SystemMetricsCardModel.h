#pragma once

#include "metrics/SystemMetricsSnapshot.h"
#include "views/primitives/ThemeColor.h"

#include <QString>
#include <optional>

namespace pulsegrove {

// Everything the system card shows, computed from the metrics store's last sample and whether it
// is stale. A stale sample keeps its sensor label and thermal state but shows no readings.
struct SystemMetricsCardModel {
    using Snapshot = std::optional<SystemMetricsSnapshot>;

    static constexpr int padding = 14;
    static constexpr int spacing = 11;
    static constexpr int titleSpacing = 8;
    static constexpr int statusMarkSpacing = 5;
    static constexpr qreal statusDotSide = 5;
    static constexpr int readingSpacing = 14;
    static constexpr int temperatureColumnWidth = 103;
    static constexpr int temperatureColumnSpacing = 4;
    static constexpr int dividerHeight = 60;
    static constexpr int metersSpacing = 12;
    static constexpr int sourceSpacing = 6;
    static constexpr qreal liveBorderOpacity = 0.32;
    static constexpr qreal quietBorderOpacity = 0.16;
    static constexpr qreal shadowOpacity = 0.1;
    static constexpr qreal shadowRadius = 12;
    static constexpr qreal shadowOffsetY = 7;
    // Readings are written with at most three digits: a sensor never reports more, and a broken
    // one must not widen the card.
    static constexpr double largestShownCelsius = 999;

    static QString titleSymbol() { return QStringLiteral("laptopcomputer"); }
    static QString title() { return QStringLiteral("本机状态"); }
    static QString sourceSymbol() { return QStringLiteral("shield.lefthalf.filled"); }
    static QString sourceText() { return QStringLiteral("传感器只读"); }
    static QString sourceSeparator() { return QStringLiteral("·"); }
    static QString accessibilityLabel() { return QStringLiteral("本机系统状态"); }
    static QString cpuLabel() { return QStringLiteral("CPU"); }
    static QString cpuDetail() { return QStringLiteral("总占用"); }
    static QString memoryLabel() { return QStringLiteral("内存"); }

    // The temperature shown: none when stale, without a sample or when the reading is not a
    // number.
    static std::optional<double> temperature(const Snapshot &snapshot, bool isStale);
    static TemperatureSeverity severity(const Snapshot &snapshot, bool isStale);
    static ThemeColor temperatureColor(const Snapshot &snapshot, bool isStale, qreal opacity = 1.0);
    static QString temperatureText(const Snapshot &snapshot, bool isStale);
    static QString severityWord(const Snapshot &snapshot, bool isStale);
    static QString sensorLabel(const Snapshot &snapshot);

    // The meters' values in per cent: none when stale, without a sample or when not a number;
    // otherwise held to 0...100.
    static std::optional<double> cpuPercent(const Snapshot &snapshot, bool isStale);
    static std::optional<double> memoryPercent(const Snapshot &snapshot, bool isStale);
    static QString memoryDetail(const Snapshot &snapshot, bool isStale);
    // The nearest whole number, halves away from zero, followed by "%".
    static qint64 wholePercent(double percent);
    static QString wholePercentText(double percent);

    static QString thermalStateWord(const Snapshot &snapshot);
    static QString thermalStateRowText(const Snapshot &snapshot);
    static QString accessibilityValue(const Snapshot &snapshot, bool isStale);

    static QString statusMarkText(bool isStale);
    static ThemeColor statusDotColor(bool isStale);
    static ThemeColor borderColor(const Snapshot &snapshot, bool isStale);
};

} // namespace pulsegrove
