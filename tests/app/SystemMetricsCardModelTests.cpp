#include "views/primitives/ViewColors.h"
#include "views/system/SystemMetricsCardModel.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace pulsegrove {
namespace {

using Model = SystemMetricsCardModel;

const QColor warm = ViewColors::srgb(1.0, 0.68, 0.26);
const QColor hot = ViewColors::srgb(1.0, 0.39, 0.28);
const QColor critical = ViewColors::srgb(0.96, 0.24, 0.26);

SystemMetricsSnapshot sample(std::optional<double> celsius,
                             CPUTemperatureSource source = CPUTemperatureSource::cpuDie,
                             SystemThermalState thermal = SystemThermalState::nominal)
{
    SystemMetricsSnapshot snapshot;
    snapshot.cpuTemperatureCelsius = celsius;
    snapshot.temperatureSource = source;
    snapshot.cpuUsagePercent = 18;
    snapshot.memoryUsedPercent = 71;
    snapshot.memoryUsedBytes = 8589934592ULL;
    snapshot.memoryTotalBytes = 17179869184ULL;
    snapshot.thermalState = thermal;
    return snapshot;
}

// The severity bands at their edges: the text, the word and the colour agree, and a missing,
// stale or unreadable (NaN) temperature is "--°C" and "不可用" in the secondary colour.
TEST(SystemMetricsCardModelTests, TemperatureTextWordAndColourFollowTheSeverityBands)
{
    struct Case {
        std::optional<double> celsius;
        bool isStale;
        QString text;
        QString word;
        ThemeColor color;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {79.9, false, QStringLiteral("80°C"), QStringLiteral("正常"), ThemeColor::accent()},
        {80, false, QStringLiteral("80°C"), QStringLiteral("偏热"), ThemeColor::fixed(warm)},
        {89.99, false, QStringLiteral("90°C"), QStringLiteral("偏热"), ThemeColor::fixed(warm)},
        {90, false, QStringLiteral("90°C"), QStringLiteral("较热"), ThemeColor::fixed(hot)},
        {100, false, QStringLiteral("100°C"), QStringLiteral("高温"), ThemeColor::fixed(critical)},
        {-12.4, false, QStringLiteral("-12°C"), QStringLiteral("正常"), ThemeColor::accent()},
        {infinity, false, QStringLiteral("999°C"), QStringLiteral("高温"), ThemeColor::fixed(critical)},
        {nan, false, QStringLiteral("--°C"), QStringLiteral("不可用"), ThemeColor::secondaryText()},
        {std::nullopt, false, QStringLiteral("--°C"), QStringLiteral("不可用"), ThemeColor::secondaryText()},
        {95, true, QStringLiteral("--°C"), QStringLiteral("不可用"), ThemeColor::secondaryText()},
    };
    for (const auto &[celsius, isStale, text, word, color] : cases) {
        const auto snapshot = std::optional(sample(celsius));
        EXPECT_EQ(Model::temperatureText(snapshot, isStale), text) << text.toStdString();
        EXPECT_EQ(Model::severityWord(snapshot, isStale), word) << text.toStdString();
        EXPECT_EQ(Model::temperatureColor(snapshot, isStale), color) << text.toStdString();
    }
    EXPECT_EQ(Model::temperatureText(std::nullopt, false), QStringLiteral("--°C"));
    EXPECT_EQ(Model::temperatureColor(std::nullopt, false), ThemeColor::secondaryText());
}

// Meter values, their whole-percent texts (halves away from zero) and the memory detail; bad
// values are held to 0...100 or shown as missing instead of widening the card.
TEST(SystemMetricsCardModelTests, MeterValuesAndTextsRoundHoldAndFallBack)
{
    const std::vector<std::pair<double, QString>> percents = {
        {50.5, QStringLiteral("51%")},
        {0.4, QStringLiteral("0%")},
        {99.6, QStringLiteral("100%")},
        {-0.5, QStringLiteral("-1%")},
        {1e300, QStringLiteral("1000000000000000%")},
    };
    for (const auto &[percent, text] : percents)
        EXPECT_EQ(Model::wholePercentText(percent), text) << percent;

    struct Case {
        const char *name;
        std::optional<SystemMetricsSnapshot> snapshot;
        bool isStale;
        std::optional<double> cpu, memory;
        QString memoryDetail;
    };
    auto partial = sample(62);
    partial.memoryTotalBytes.reset();
    auto absurd = sample(62);
    absurd.cpuUsagePercent = 130;
    absurd.memoryUsedPercent = -5;
    absurd.memoryUsedBytes = std::numeric_limits<std::uint64_t>::max();
    absurd.memoryTotalBytes = 0;
    auto unreadable = sample(62);
    unreadable.cpuUsagePercent = std::numeric_limits<double>::quiet_NaN();
    unreadable.memoryUsedPercent = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {"live", sample(62), false, 18.0, 71.0, QStringLiteral("8.0 / 16 GB")},
        {"stale", sample(62), true, std::nullopt, std::nullopt, QStringLiteral("使用率")},
        {"no sample", std::nullopt, false, std::nullopt, std::nullopt, QStringLiteral("使用率")},
        {"no total", partial, false, 18.0, 71.0, QStringLiteral("使用率")},
        {"absurd", absurd, false, 100.0, 0.0, QStringLiteral("17179869184.0 / 0 GB")},
        {"not numbers", unreadable, false, std::nullopt, std::nullopt, QStringLiteral("8.0 / 16 GB")},
        {"every value absent", SystemMetricsSnapshot{}, false, std::nullopt, std::nullopt,
         QStringLiteral("使用率")},
    };
    for (const auto &[name, snapshot, isStale, cpu, memory, detail] : cases) {
        EXPECT_EQ(Model::cpuPercent(snapshot, isStale), cpu) << name;
        EXPECT_EQ(Model::memoryPercent(snapshot, isStale), memory) << name;
        EXPECT_EQ(Model::memoryDetail(snapshot, isStale), detail) << name;
    }
}

// The sensor label and the thermal state come from the last sample even when it is stale; the
// spoken summary always starts with the hotspot label.
TEST(SystemMetricsCardModelTests, LabelsThermalStateAndSpokenSummary)
{
    struct Case {
        const char *name;
        std::optional<SystemMetricsSnapshot> snapshot;
        bool isStale;
        QString sensor, thermalRow, spoken, statusMark;
        ThemeColor dot;
    };
    auto noTemperature = sample(std::nullopt, CPUTemperatureSource::unavailable);
    const std::vector<Case> cases = {
        {"live", sample(62, CPUTemperatureSource::cpuDieHotspot), false, QStringLiteral("CPU 核心热点"),
         QStringLiteral("系统热状态：正常"),
         QStringLiteral("CPU 核心热点 62°C，CPU 18%，内存 71%，系统热状态 正常"),
         QStringLiteral("查看时更新"), ThemeColor::accent()},
        {"stale", sample(95, CPUTemperatureSource::cpuCoreMaximum, SystemThermalState::serious), true,
         QStringLiteral("CPU 最高核心"), QStringLiteral("系统热状态：严重"),
         QStringLiteral("CPU 核心热点 不可用，CPU 不可用，内存 不可用，系统热状态 严重"),
         QStringLiteral("正在采样"), ThemeColor::secondaryText()},
        {"no sample", std::nullopt, true, QStringLiteral("CPU 核心热点"), QStringLiteral("系统热状态：--"),
         QStringLiteral("CPU 核心热点 不可用，CPU 不可用，内存 不可用，系统热状态 未知"),
         QStringLiteral("正在采样"), ThemeColor::secondaryText()},
        {"no temperature", noTemperature, false, QStringLiteral("CPU 核心温度"),
         QStringLiteral("系统热状态：正常"),
         QStringLiteral("CPU 核心热点 不可用，CPU 18%，内存 71%，系统热状态 正常"),
         QStringLiteral("查看时更新"), ThemeColor::accent()},
        {"die, fair", sample(70, CPUTemperatureSource::cpuDie, SystemThermalState::fair), false,
         QStringLiteral("CPU 核心温度"), QStringLiteral("系统热状态：升温"),
         QStringLiteral("CPU 核心热点 70°C，CPU 18%，内存 71%，系统热状态 升温"),
         QStringLiteral("查看时更新"), ThemeColor::accent()},
        {"critical state", sample(101, CPUTemperatureSource::cpuDieHotspot, SystemThermalState::critical),
         false, QStringLiteral("CPU 核心热点"), QStringLiteral("系统热状态：临界"),
         QStringLiteral("CPU 核心热点 101°C，CPU 18%，内存 71%，系统热状态 临界"),
         QStringLiteral("查看时更新"), ThemeColor::accent()},
    };
    for (const auto &[name, snapshot, isStale, sensor, thermalRow, spoken, statusMark, dot] : cases) {
        EXPECT_EQ(Model::sensorLabel(snapshot), sensor) << name;
        EXPECT_EQ(Model::thermalStateRowText(snapshot), thermalRow) << name;
        EXPECT_EQ(Model::accessibilityValue(snapshot, isStale), spoken) << name;
        EXPECT_EQ(Model::statusMarkText(isStale), statusMark) << name;
        EXPECT_EQ(Model::statusDotColor(isStale), dot) << name;
    }
}

} // namespace
} // namespace pulsegrove
