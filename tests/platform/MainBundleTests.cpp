#include "MainBundle.h"

#include <gtest/gtest.h>

namespace pulsegrove {
namespace {

using Path = std::filesystem::path;

TEST(MainBundle, IsTheAppFolderOnlyWhenRunFromItsBinElseTheExecutablesFolder)
{
    // The executable, then the bundle folder, whether it is an application and its resources.
    const std::tuple<Path, Path, bool, Path> cases[] = {
        {"/opt/Pulsegrove.app/bin/pulsegrove", "/opt/Pulsegrove.app", true, "/opt/Pulsegrove.app/share"},
        {"/opt/Pulsegrove.APP/bin/pulsegrove", "/opt/Pulsegrove.APP", true, "/opt/Pulsegrove.APP/share"},
        {"/work/build/Sources/Pulsegrove/pulsegrove", "/work/build/Sources/Pulsegrove", false,
         "/work/build/Sources/Pulsegrove"},
        {"/opt/Pulsegrove.app/libexec/pulsegrove", "/opt/Pulsegrove.app/libexec", false,
         "/opt/Pulsegrove.app/libexec"},
        {"/usr/bin/pulsegrove", "/usr/bin", false, "/usr/bin"},
    };
    for (const auto &[executable, bundleURL, isApplication, resourcesURL] : cases) {
        const MainBundle bundle(executable);
        EXPECT_EQ(std::tuple(bundle.bundleURL(), bundle.isApplicationBundle(), bundle.resourcesURL()),
                  std::tie(bundleURL, isApplication, resourcesURL))
            << executable;
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
