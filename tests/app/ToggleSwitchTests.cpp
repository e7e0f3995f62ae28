#include "ScopedEnvironmentVariable.h"
#include "ViewRendering.h"
#include "theme/QuotaTheme.h"
#include "views/primitives/Divider.h"
#include "views/primitives/ToggleSwitch.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace pulsegrove::testing {
namespace {

// A click or Space flips the switch and reports it; the track takes the accent only when on,
// and the knob sits at the end that says so.
TEST(ToggleSwitchTests, FlipsOnClickAndSpaceAndDrawsItsState)
{
    const IsolatedTheme theme;
    ToggleSwitch toggle(QStringLiteral("Spark 独立额度"));
    QSignalSpy clicks(&toggle, &QAbstractButton::clicked);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isChecked());
    toggle.setFocus();
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_FALSE(toggle.isChecked());
    ASSERT_EQ(clicks.size(), 2);
    EXPECT_EQ(clicks[0][0].toBool(), true);
    EXPECT_EQ(clicks[1][0].toBool(), false);

    const QColor accent = QuotaThemeIDs::palette(QuotaTheme::selected()).accent;
    toggle.resize(toggle.sizeHint());
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on);
        toggle.setChecked(on);
        const QImage image =
            renderTransparent(toggle, on ? QStringLiteral("toggle-on") : QStringLiteral("toggle-off"));
        EXPECT_EQ(countPixelsNear(image, accent, 10) > 50, on);
        // The knob is white at its end: the middle of the trailing third is white only when on.
        EXPECT_EQ(isNear(image.pixelColor(23, 8), QColor(Qt::white), 20), on);
        EXPECT_EQ(isNear(image.pixelColor(7, 8), QColor(Qt::white), 20), !on);
    }
}

// The rule is one pixel high and leaves its inset clear.
TEST(DividerTests, DrawsOneLineAfterItsInset)
{
    const IsolatedTheme theme;
    Divider divider(51);
    divider.resize(200, 1);
    const QImage image = renderTransparent(divider);
    EXPECT_EQ(image.height(), 1);
    EXPECT_EQ(image.pixelColor(50, 0).alpha(), 0);
    EXPECT_TRUE(isNear(image.pixelColor(51, 0), QuotaTheme::border(), 2));
    EXPECT_TRUE(isNear(image.pixelColor(199, 0), QuotaTheme::border(), 2));
}

} // namespace
} // namespace pulsegrove::testing
