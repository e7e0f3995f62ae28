#include "UserDefaults.h"
#include "ViewRendering.h"
#include "preferences/PulsegrovePreferenceKeys.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/ViewColors.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

// The label on an accent-filled button, at rest and pressed, reads at 4.5:1 or better in every
// theme (white on the emerald accent measured 1.96:1); a deep fill still takes white.
TEST(QuotaThemeIDTests, TextOnEveryAccentFillReadsAtLeastFourAndAHalfToOne)
{
    using ViewColors::contrastRatio;
    for (const QuotaThemeID theme : QuotaThemeIDs::allCases) {
        const QColor accent = QuotaThemeIDs::palette(theme).accent;
        for (const QColor &fill : {accent, accent.darker(125)})
            EXPECT_GE(contrastRatio(ViewColors::textOnFill(fill), fill), 4.5) << QuotaThemeIDs::id(theme);
    }
    EXPECT_EQ(ViewColors::textOnFill(ViewColors::srgb(0.1, 0.12, 0.4)), QColor(Qt::white));
}

// Read afresh on every call from the standard suite, aurora unless it holds a known raw value: a
// write through another object of that suite (as the quota store holds) shows at once, one to
// another suite (the settings preview) never does.
TEST(SelectedThemeTests, ReadsTheStandardSuiteAfreshAndFallsBackToAurora)
{
    const testing::IsolatedTheme isolated;
    const std::shared_ptr<UserDefaults> standard = UserDefaults::standard();
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(standard->setString(PulsegrovePreferenceKeys::theme, "Violet"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(standard->setBool(PulsegrovePreferenceKeys::theme, true));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::aurora);
    ASSERT_TRUE(standard->setString(PulsegrovePreferenceKeys::theme, "violet"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::violet);

    UserDefaults store(UserDefaults::standardSuiteName, Environment::current());
    ASSERT_TRUE(store.setString(PulsegrovePreferenceKeys::theme, "graphite"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);
    UserDefaults preview("io.velorn.Pulsegrove.settings-preview", Environment::current());
    ASSERT_TRUE(preview.setString(PulsegrovePreferenceKeys::theme, "sunset"));
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);

    // Drawing reads memory: another process's choice shows once the suite is reloaded, not before.
    ASSERT_TRUE(store.flush());
    std::ofstream(store.fileURL(), std::ios::trunc) << R"({"io.velorn.Pulsegrove.theme.v1": "emerald"})";
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::graphite);
    store.reload();
    ASSERT_TRUE(store.flush());
    EXPECT_EQ(QuotaTheme::selected(), QuotaThemeID::emerald);
}

} // namespace
} // namespace pulsegrove
