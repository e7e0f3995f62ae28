#include "MainBundle.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

TEST(MainBundle, IsTheAppFolderOnlyWhenRunFromItsBinElseTheExecutablesFolder)
{
    const struct {
        const char *executable;
        const char *bundle;
        bool isApplication;
        const char *resources;
    } cases[] = {
        {"/opt/Pulsegrove.app/bin/pulsegrove", "/opt/Pulsegrove.app", true, "/opt/Pulsegrove.app/share"},
        {"/opt/Pulsegrove.APP/bin/pulsegrove", "/opt/Pulsegrove.APP", true, "/opt/Pulsegrove.APP/share"},
        {"/work/build/Sources/Pulsegrove/pulsegrove", "/work/build/Sources/Pulsegrove", false,
         "/work/build/Sources/Pulsegrove"},
        {"/opt/Pulsegrove.app/libexec/pulsegrove", "/opt/Pulsegrove.app/libexec", false,
         "/opt/Pulsegrove.app/libexec"},
        {"/usr/bin/pulsegrove", "/usr/bin", false, "/usr/bin"},
    };
    for (const auto &c : cases) {
        const MainBundle bundle(c.executable);
        EXPECT_EQ(bundle.bundleURL(), c.bundle);
        EXPECT_EQ(bundle.isApplicationBundle(), c.isApplication) << c.executable;
        EXPECT_EQ(bundle.resourcesURL(), c.resources);
    }
}

TEST(MainBundle, TheRunningExecutableIsTheOneStartedEvenAfterItWasReplacedOnDisk)
{
    EXPECT_EQ(MainBundle::fromExecutableLink("/opt/Pulsegrove.app/bin/pulsegrove (deleted)").executableURL(),
              "/opt/Pulsegrove.app/bin/pulsegrove");
    const auto bundle = MainBundle::main();
    EXPECT_TRUE(bundle.executableURL().is_absolute());
    EXPECT_FALSE(bundle.isApplicationBundle());
}

} // namespace
} // namespace pulsegrove
