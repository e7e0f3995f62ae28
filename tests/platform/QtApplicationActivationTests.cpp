#include "QtApplicationActivation.h"

#include <QDialog>
#include <QWidget>
#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(QtApplicationActivation, AccessoryTurnsOnlyOrdinaryWindowsIntoToolsAndRegularTurnsOnlyThoseBack)
{
    using A = QtApplicationActivation;
    EXPECT_EQ(A::flagsFor(Qt::Window | Qt::WindowStaysOnTopHint, std::nullopt, ActivationPolicy::accessory),
              Qt::Tool | Qt::WindowStaysOnTopHint);
    for (const auto type : {Qt::Popup, Qt::ToolTip, Qt::Tool, Qt::SplashScreen})
        EXPECT_EQ(A::flagsFor(type, std::nullopt, ActivationPolicy::accessory), type);
    EXPECT_EQ(A::flagsFor(Qt::Tool, Qt::Dialog, ActivationPolicy::regular), Qt::Dialog);
    EXPECT_EQ(A::flagsFor(Qt::Tool, std::nullopt, ActivationPolicy::regular), Qt::Tool);
}

TEST(QtApplicationActivation, AppliesToExistingAndNewlyShownWindowsWithoutRecreatingThem)
{
    QtApplicationActivation activation;
    QWidget existing;
    existing.show();
    const auto id = existing.winId();
    ASSERT_TRUE(activation.setActivationPolicy(ActivationPolicy::accessory));
    EXPECT_EQ(existing.windowType(), Qt::Tool);
    EXPECT_TRUE(existing.isVisible());
    EXPECT_EQ(existing.winId(), id);

    QDialog later;
    later.show();
    EXPECT_EQ(later.windowType(), Qt::Tool);

    activation.setActivationPolicy(ActivationPolicy::regular);
    EXPECT_EQ(existing.windowType(), Qt::Window);
    EXPECT_EQ(later.windowType(), Qt::Dialog);
}

} // namespace
} // namespace pulsegrove
