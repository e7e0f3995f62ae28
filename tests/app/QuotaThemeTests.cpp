#include "ScopedEnvironmentVariable.h"
#include "TemporaryDirectory.h"
#include "UserDefaults.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaTheme.h"

#include <gtest/gtest.h>
#include <set>

using namespace pulsegrove;
using pulsegrove::testing::ScopedEnvironmentVariable;
using pulsegrove::testing::TemporaryDirectory;

namespace {

// QColor keeps 16 bits per channel.
constexpr double channelTolerance = 1.0 / 65535.0;

void expectColor(const QColor &color, double red, double green, double blue, double alpha = 1.0)
{
    EXPECT_EQ(color.spec(), QColor::Rgb);
    EXPECT_NEAR(color.redF(), red, channelTolerance);
    EXPECT_NEAR(color.greenF(), green, channelTolerance);
    EXPECT_NEAR(color.blueF(), blue, channelTolerance);
    EXPECT_NEAR(color.alphaF(), alpha, channelTolerance);
}

class SelectedThemeTests : public ::testing::Test {
protected:
    void storeTheme(const std::string &rawValue) const
    {
        ASSERT_TRUE(UserDefaults::standard()->setString(PulsegrovePreferenceKeys::theme, rawValue));
    }

    TemporaryDirectory m_folder;
    ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME", m_folder.path().string()};
};

} // namespace

TEST(QuotaThemeIDTests, RawValuesRoundTripInPickerOrder)
{
    const std::vector<std::string_view> expected = {"aurora", "violet", "emerald", "sunset", "graphite"};
    ASSERT_EQ(QuotaThemeIDs::allCases.size(), expected.size());
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const QuotaThemeID theme = QuotaThemeIDs::allCases[index];
        EXPECT_EQ(QuotaThemeIDs::rawValue(theme), expected[index]);
        EXPECT_EQ(QuotaThemeIDs::id(theme), expected[index]);
        EXPECT_EQ(QuotaThemeIDs::fromRawValue(expected[index]), theme);
    }
    EXPECT_EQ(QuotaThemeIDs::fromRawValue("Violet"), std::nullopt);
    EXPECT_EQ(QuotaThemeIDs::fromRawValue(""), std::nullopt);
}

TEST(QuotaThemeIDTests, PalettesAreOpaqueAndDistinct)
{
    std::set<QString> names;
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        const QuotaThemePalette &palette = QuotaThemeIDs::palette(theme);
        names.insert(palette.name);
        EXPECT_FALSE(palette.detail.isEmpty());
        for (const QColor &color : {palette.accent, palette.panelTop, palette.panelBottom, palette.card}) {
            EXPECT_EQ(color.spec(), QColor::Rgb);
            EXPECT_EQ(color.alphaF(), 1.0f);
        }
    }
    EXPECT_EQ(names.size(), QuotaThemeIDs::allCases.size());

    const QuotaThemePalette &aurora = QuotaThemeIDs::palette(QuotaThemeID::aurora);
    EXPECT_EQ(aurora.name, QStringLiteral("极光青"));
    EXPECT_EQ(aurora.detail, QStringLiteral("Pulse Grove 默认科技感"));
    expectColor(aurora.accent, 0.2, 0.78, 0.96);
    expectColor(aurora.panelTop, 0.055, 0.075, 0.105);
    const QuotaThemePalette &graphite = QuotaThemeIDs::palette(QuotaThemeID::graphite);
    EXPECT_EQ(graphite.name, QStringLiteral("石墨银"));
    expectColor(graphite.panelBottom, 0.04, 0.045, 0.052);
    expectColor(graphite.card, 0.105, 0.115, 0.13);
    expectColor(QuotaThemeIDs::palette(QuotaThemeID::sunset).accent, 0.98, 0.53, 0.24);
}

TEST(QuotaThemeIDTests, SharedColours)
{
    expectColor(QuotaTheme::border(), 1.0, 1.0, 1.0, 0.1);
    expectColor(QuotaTheme::secondaryText(), 0.62, 0.68, 0.76);
}

TEST_F(SelectedThemeTests, FallsBackToAuroraUnlessAKnownRawValueIsStored)
{
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    storeTheme("Violet");
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(UserDefaults::standard()->setBool(PulsegrovePreferenceKeys::theme, true));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
}

TEST_F(SelectedThemeTests, FollowsEveryWriteWithoutCaching)
{
    storeTheme("violet");
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::violet);
    // Another object of the standard suite, as the quota store holds, is seen at once.
    UserDefaults store(UserDefaults::standardSuiteName, Environment::current());
    ASSERT_TRUE(store.setString(PulsegrovePreferenceKeys::theme, "graphite"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);
}

TEST_F(SelectedThemeTests, ThemesChosenInAnotherSuiteDoNotChangeTheSelection)
{
    storeTheme("emerald");
    UserDefaults preview("io.velorn.Pulsegrove.settings-preview", Environment::current());
    ASSERT_TRUE(preview.setString(PulsegrovePreferenceKeys::theme, "sunset"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::emerald);
}
