#include "CardRendering.h"
#include "QuotaPanelTestFixture.h"
#include "theme/QuotaTheme.h"
#include "views/EnergyBar.h"
#include "views/primitives/CapsuleTrack.h"
#include "views/system/SystemMetricsCard.h"
#include "views/system/SystemMetricsCardModel.h"
#include "views/system/SystemUsageMeter.h"

#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

class SystemMetricsCardTests : public QuotaPanelTest {
protected:
    // Lets the store take one sample as a visible surface would, then withdraws the surface.
    void sampleOnce(SystemMetricsStore &store)
    {
        store.setVisible(true, QStringLiteral("card-test"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return store.snapshot().has_value(); }, 10000));
        store.setVisible(false, QStringLiteral("card-test"));
    }
};

// The card follows its store by itself: placeholders before the first sample, the readings of a
// live sample, and the stale presentation (sensor and thermal state kept) once the sample aged.
TEST_F(SystemMetricsCardTests, FollowsTheStoreFromNoSampleToLiveToStale)
{
    auto store =
        metricsStore(SystemMetricsSnapshot{95.0, CPUTemperatureSource::cpuCoreMaximum, 50.5, 0.4, 8ull << 30,
                                           16ull << 30, SystemThermalState::serious, m_now});
    SystemMetricsCard card(*store);
    EXPECT_EQ(card.accessibleName(), QStringLiteral("本机系统状态"));
    // The texts themselves are the model's; here the card must show the store's current state.
    const auto expectShown = [&](const char *stage, const char *sensor, const char *temperature,
                                 const char *thermal, const char *memoryDetail, ThemeColor border) {
        EXPECT_EQ(card.sensorText(), QString::fromUtf8(sensor)) << stage;
        EXPECT_EQ(card.temperatureText(), QString::fromUtf8(temperature)) << stage;
        EXPECT_EQ(card.thermalStateText(), QString::fromUtf8(thermal)) << stage;
        EXPECT_EQ(card.memoryMeter()->detail(), QString::fromUtf8(memoryDetail)) << stage;
        EXPECT_EQ(card.accessibleDescription(),
                  SystemMetricsCardModel::accessibilityValue(store->snapshot(), store->isStale()))
            << stage;
        EXPECT_EQ(card.style().border, border) << stage;
    };
    expectShown("no sample", "CPU 核心热点", "--°C", "系统热状态：--", "使用率",
                ThemeColor::secondaryText(0.16));

    sampleOnce(*store);
    const QColor hot = ViewColors::srgb(1.0, 0.39, 0.28);
    expectShown("live", "CPU 最高核心", "95°C", "系统热状态：严重", "8.0 / 16 GB",
                ThemeColor::fixed(hot, 0.32));
    EXPECT_EQ(card.cpuMeter()->valueText(), QStringLiteral("51%"));
    ASSERT_TRUE(card.style().shadow);
    EXPECT_TRUE(isNear(card.style().shadow->color, ViewColors::srgb(1.0, 0.39, 0.28, 0.1), 2));

    m_now = m_now.addingSeconds(SystemMetricsStore::staleAfterSeconds + 1);
    card.refresh();
    expectShown("stale", "CPU 最高核心", "--°C", "系统热状态：严重", "使用率",
                ThemeColor::secondaryText(0.16));
    EXPECT_EQ(card.statusMarkText(), QStringLiteral("正在采样"));
}

// A meter shows its value with a bar, or "--%" over an empty grey capsule; only a change of the
// whole percentage rebuilds the bar.
TEST_F(SystemMetricsCardTests, MeterSwapsBetweenBarAndEmptyCapsule)
{
    SystemUsageMeter meter(QStringLiteral("CPU"), 50.5, QStringLiteral("总占用"));
    const auto bar = [&] { return meter.findChild<EnergyBar *>(); };
    ASSERT_TRUE(bar());
    EXPECT_EQ(bar()->percent(), 51);
    EXPECT_EQ(meter.valueText(), QStringLiteral("51%"));
    const EnergyBar *first = bar();
    meter.setReading(50.7, QStringLiteral("总占用"));
    EXPECT_EQ(bar(), first);
    meter.setReading(std::nullopt, QStringLiteral("使用率"));
    EXPECT_EQ(bar(), nullptr);
    EXPECT_EQ(meter.findChildren<CapsuleTrack *>().size(), 1);
    EXPECT_EQ(meter.valueText(), QStringLiteral("--%"));
    meter.setReading(0.4, QStringLiteral("总占用"));
    ASSERT_TRUE(bar());
    EXPECT_EQ(bar()->percent(), 0);
    EXPECT_TRUE(meter.findChildren<CapsuleTrack *>().isEmpty());
}

// Every theme: a card of sensible size on which the temperature, the secondary
// texts and the outline are drawn, and nothing wider than the panel's column, even with every
// value absent or absurd.
TEST_F(SystemMetricsCardTests, RendersInEveryThemeAndScaleWithinTheColumn)
{
    SystemMetricsSnapshot absurd{
        1e300, CPUTemperatureSource::cpuDieHotspot, 130.0, -5.0, std::numeric_limits<std::uint64_t>::max(),
        1,     SystemThermalState::critical,        m_now};
    const std::vector<std::pair<const char *, std::optional<SystemMetricsSnapshot>>> samples = {
        {"live", std::nullopt}, {"absent", SystemMetricsSnapshot{}}, {"absurd", absurd}};
    for (const auto &[name, sample] : samples) {
        auto store = metricsStore(sample.value_or(
            SystemMetricsSnapshot{62.0, CPUTemperatureSource::cpuDieHotspot, 18.0, 71.0, 8ull << 30,
                                  16ull << 30, SystemThermalState::nominal, m_now}));
        sampleOnce(*store);
        SystemMetricsCard card(*store);
        EXPECT_LE(card.minimumSizeHint().width(), panelContentWidth) << name;
        for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
            selectTheme(theme);
            card.refresh();
            const QImage image = renderOnPanel(
                card, 1,
                QStringLiteral("system-card-%1-%2")
                    .arg(QLatin1String(name), QString::fromUtf8(QuotaThemeIDs::rawValue(theme).data())));
            EXPECT_GE(card.height(), 130) << name;
            EXPECT_LE(card.height(), 210) << name;
            const QColor temperature =
                SystemMetricsCardModel::temperatureColor(store->snapshot(), false).resolve();
            EXPECT_GT(countInkPixels(image, temperature, 0.9, 30), 40) << name;
            EXPECT_GT(countInkPixels(image, QuotaTheme::secondaryText(), 0.9, 40), 40) << name;
        }
    }
}

// A sample that ages past the limit while nothing new arrives turns the card stale by itself.
TEST_F(SystemMetricsCardTests, TurnsStaleByItselfWhenTheSampleAges)
{
    m_now = Date::now();
    auto store = metricsStore(SystemMetricsSnapshot{
        62.0, CPUTemperatureSource::cpuDie, 18.0, 71.0, std::nullopt, std::nullopt, SystemThermalState::fair,
        m_now.addingSeconds(-SystemMetricsStore::staleAfterSeconds + 0.3)});
    sampleOnce(*store);
    SystemMetricsCard card(*store);
    EXPECT_EQ(card.temperatureText(), QStringLiteral("62°C"));
    m_now = m_now.addingSeconds(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return card.temperatureText() == QStringLiteral("--°C"); }, 5000));
    EXPECT_EQ(card.statusMarkText(), QStringLiteral("正在采样"));
}

} // namespace
} // namespace pulsegrove::testing
