#include "DesktopTest.h"
#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <memory>

namespace pulsegrove::testing {

DesktopSession *DesktopTest::session = nullptr;
std::string DesktopTest::unavailableReason;
std::string DesktopTest::startFailure;

} // namespace pulsegrove::testing

using pulsegrove::testing::DesktopSession;
using pulsegrove::testing::DesktopTest;

// Starts the private desktop first, then the application on it; without one the application runs
// offscreen and every desktop test skips or fails with the reason.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const auto session = DesktopSession::startHere(DesktopSession::Tray::xembed,
                                                   DesktopTest::unavailableReason, DesktopTest::startFailure);
    DesktopTest::session = session.get();
    int result = 0;
    {
        QApplication application(argc, argv);
        pulsegrove::ViewFonts::applyApplicationFont();
        result = RUN_ALL_TESTS();
    }
    return result;
}
