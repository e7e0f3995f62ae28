#include "views/system/SystemMetricsCardModel.h"

#include "views/primitives/ViewColors.h"

#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

std::optional<double> usablePercent(std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return std::clamp(*value, 0.0, 100.0);
}

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr double bytesPerGibibyte = 1073741824.0;

} // namespace

std::optional<double> SystemMetricsCardModel::temperature(const Snapshot &snapshot, bool isStale)
{
    if (isStale || !snapshot || !snapshot->cpuTemperatureCelsius ||
        std::isnan(*snapshot->cpuTemperatureCelsius))
        return std::nullopt;
    return snapshot->cpuTemperatureCelsius;
}

TemperatureSeverity SystemMetricsCardModel::severity(const Snapshot &snapshot, bool isStale)
{
    return TemperatureSeverities::fromCelsius(temperature(snapshot, isStale));
}

ThemeColor SystemMetricsCardModel::temperatureColor(const Snapshot &snapshot, bool isStale, qreal opacity)
{
    switch (severity(snapshot, isStale)) {
    case TemperatureSeverity::unavailable:
        return ThemeColor::secondaryText(opacity);
    case TemperatureSeverity::normal:
        return ThemeColor::accent(opacity);
    case TemperatureSeverity::warm:
        return ThemeColor::fixed(ViewColors::srgb(1.0, 0.68, 0.26), opacity);
    case TemperatureSeverity::hot:
        return ThemeColor::fixed(ViewColors::srgb(1.0, 0.39, 0.28), opacity);
    case TemperatureSeverity::critical:
        break;
    }
    return ThemeColor::fixed(ViewColors::srgb(0.96, 0.24, 0.26), opacity);
}

QString SystemMetricsCardModel::temperatureText(const Snapshot &snapshot, bool isStale)
{
    const auto celsius = temperature(snapshot, isStale);
    if (!celsius)
        return QStringLiteral("--°C");
    const double shown = std::clamp(*celsius, -largestShownCelsius, largestShownCelsius);
    return QString::asprintf("%.0f", shown) + QStringLiteral("°C");
}

QString SystemMetricsCardModel::severityWord(const Snapshot &snapshot, bool isStale)
{
    return fromView(TemperatureSeverities::displayName(severity(snapshot, isStale)));
}

QString SystemMetricsCardModel::sensorLabel(const Snapshot &snapshot)
{
    if (!snapshot)
        return QStringLiteral("CPU 核心热点");
    return fromView(CPUTemperatureSources::displayName(snapshot->temperatureSource));
}

std::optional<double> SystemMetricsCardModel::cpuPercent(const Snapshot &snapshot, bool isStale)
{
    return isStale || !snapshot ? std::nullopt : usablePercent(snapshot->cpuUsagePercent);
}

std::optional<double> SystemMetricsCardModel::memoryPercent(const Snapshot &snapshot, bool isStale)
{
    return isStale || !snapshot ? std::nullopt : usablePercent(snapshot->memoryUsedPercent);
}

QString SystemMetricsCardModel::memoryDetail(const Snapshot &snapshot, bool isStale)
{
    if (isStale || !snapshot || !snapshot->memoryUsedBytes || !snapshot->memoryTotalBytes)
        return QStringLiteral("使用率");
    const double used = static_cast<double>(*snapshot->memoryUsedBytes) / bytesPerGibibyte;
    const double total = static_cast<double>(*snapshot->memoryTotalBytes) / bytesPerGibibyte;
    return QString::asprintf("%.1f / %.0f GB", used, total);
}

qint64 SystemMetricsCardModel::wholePercent(double percent)
{
    // llround rounds halves away from zero; the range check keeps it defined.
    return std::llround(std::clamp(percent, -1e15, 1e15));
}

QString SystemMetricsCardModel::wholePercentText(double percent)
{
    return QString::asprintf("%lld", static_cast<long long>(wholePercent(percent))) + QStringLiteral("%");
}

QString SystemMetricsCardModel::thermalStateWord(const Snapshot &snapshot)
{
    return snapshot ? fromView(SystemThermalStates::displayName(snapshot->thermalState))
                    : QStringLiteral("--");
}

QString SystemMetricsCardModel::thermalStateRowText(const Snapshot &snapshot)
{
    return QStringLiteral("系统热状态：") + thermalStateWord(snapshot);
}

QString SystemMetricsCardModel::accessibilityValue(const Snapshot &snapshot, bool isStale)
{
    const QString unavailable = QStringLiteral("不可用");
    const auto percentOrUnavailable = [&](std::optional<double> value) {
        return value ? wholePercentText(*value) : unavailable;
    };
    const QString temperatureValue =
        temperature(snapshot, isStale) ? temperatureText(snapshot, isStale) : unavailable;
    const QString thermal = snapshot ? thermalStateWord(snapshot) : QStringLiteral("未知");
    return QStringLiteral("CPU 核心热点 ") + temperatureValue + QStringLiteral("，CPU ") +
           percentOrUnavailable(cpuPercent(snapshot, isStale)) + QStringLiteral("，内存 ") +
           percentOrUnavailable(memoryPercent(snapshot, isStale)) + QStringLiteral("，系统热状态 ") + thermal;
}

QString SystemMetricsCardModel::statusMarkText(bool isStale)
{
    return isStale ? QStringLiteral("正在采样") : QStringLiteral("查看时更新");
}

ThemeColor SystemMetricsCardModel::statusDotColor(bool isStale)
{
    return isStale ? ThemeColor::secondaryText() : ThemeColor::accent();
}

ThemeColor SystemMetricsCardModel::borderColor(const Snapshot &snapshot, bool isStale)
{
    const bool hasReading = temperature(snapshot, isStale).has_value();
    return temperatureColor(snapshot, isStale, hasReading ? liveBorderOpacity : quietBorderOpacity);
}

} // namespace pulsegrove
