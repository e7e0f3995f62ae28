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

class SelectedThemeTests : public ::testing::Test {
protected:
    TemporaryDirectory m_folder;
    ScopedEnvironmentVariable m_config{"XDG_CONFIG_HOME", m_folder.path().string()};
    std::shared_ptr<UserDefaults> m_standard = UserDefaults::standard();
};

} // namespace

TEST(QuotaThemeIDTests, RawValuesRoundTripExactlyInPickerOrder)
{
    std::string order;
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        order += std::string(QuotaThemeIDs::id(theme)) + " ";
        EXPECT_EQ(QuotaThemeIDs::fromRawValue(QuotaThemeIDs::rawValue(theme)), theme);
    }
    EXPECT_EQ(order, "aurora violet emerald sunset graphite ");
    EXPECT_EQ(QuotaThemeIDs::fromRawValue("Violet"), std::nullopt);
    EXPECT_EQ(QuotaThemeIDs::fromRawValue(""), std::nullopt);
}

// Every palette is opaque sRGB and distinct; the shared border is the one translucent colour.
TEST(QuotaThemeIDTests, PalettesAreOpaqueAndDistinct)
{
    std::set<QString> names;
    std::set<QRgb> accents;
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        const QuotaThemePalette &palette = QuotaThemeIDs::palette(theme);
        names.insert(palette.name);
        accents.insert(palette.accent.rgb());
        for (const QColor &color : {palette.accent, palette.panelTop, palette.panelBottom, palette.card})
            EXPECT_TRUE(color.spec() == QColor::Rgb && color.alphaF() == 1.0f) << palette.name.toStdString();
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(accents.size(), 5u);
    EXPECT_EQ(QuotaThemeIDs::palette(QuotaThemeID::aurora).accent, QColor::fromRgbF(0.2f, 0.78f, 0.96f));
    EXPECT_NEAR(QuotaTheme::border().alphaF(), 0.1, 1e-3);
    EXPECT_EQ(QuotaTheme::secondaryText().alphaF(), 1.0f);
}

TEST_F(SelectedThemeTests, FallsBackToAuroraUnlessAKnownRawValueIsStored)
{
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(m_standard->setString(PulsegrovePreferenceKeys::theme, "Violet"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(m_standard->setBool(PulsegrovePreferenceKeys::theme, true));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
}

// Read afresh on every call: a write through another object of the standard suite (as the
// quota store holds) shows at once, one to another suite (the settings preview) never does.
TEST_F(SelectedThemeTests, FollowsTheStandardSuiteOnlyWithoutCaching)
{
    ASSERT_TRUE(m_standard->setString(PulsegrovePreferenceKeys::theme, "violet"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::violet);
    UserDefaults store(UserDefaults::standardSuiteName, Environment::current());
    ASSERT_TRUE(store.setString(PulsegrovePreferenceKeys::theme, "graphite"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);

    UserDefaults preview("io.velorn.Pulsegrove.settings-preview", Environment::current());
    ASSERT_TRUE(preview.setString(PulsegrovePreferenceKeys::theme, "sunset"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);
}
