#include "MainBundle.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(MainBundle, AnInstalledApplicationIsItsAppFolder)
{
    const MainBundle bundle("/opt/Pulsegrove.app/bin/pulsegrove");
    EXPECT_EQ(bundle.bundleURL(), "/opt/Pulsegrove.app");
    EXPECT_EQ(bundle.pathExtension(), "app");
    EXPECT_TRUE(bundle.isApplicationBundle());
    EXPECT_EQ(bundle.resourcesURL(), "/opt/Pulsegrove.app/share");
}

TEST(MainBundle, TheExtensionIsComparedWithoutCase)
{
    EXPECT_TRUE(MainBundle("/opt/Pulsegrove.APP/bin/pulsegrove").isApplicationBundle());
}

TEST(MainBundle, ElsewhereTheBundleIsTheExecutablesFolder)
{
    const MainBundle buildTree("/work/build/Sources/Pulsegrove/pulsegrove");
    EXPECT_EQ(buildTree.bundleURL(), "/work/build/Sources/Pulsegrove");
    EXPECT_FALSE(buildTree.isApplicationBundle());
    EXPECT_EQ(buildTree.resourcesURL(), "/work/build/Sources/Pulsegrove");

    // An ".app" folder is the bundle only when the executable runs from its bin/.
    EXPECT_FALSE(MainBundle("/opt/Pulsegrove.app/libexec/pulsegrove").isApplicationBundle());
    EXPECT_EQ(MainBundle("/usr/bin/pulsegrove").bundleURL(), "/usr/bin");
}

TEST(MainBundle, TheRunningTestIsNotAnApplicationBundle)
{
    const auto bundle = MainBundle::main();
    EXPECT_TRUE(bundle.executableURL().is_absolute());
    EXPECT_FALSE(bundle.isApplicationBundle());
}

} // namespace
} // namespace pulsegrove
