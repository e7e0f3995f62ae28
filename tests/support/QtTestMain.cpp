#include <QApplication>
#include <gtest/gtest.h>

#ifdef PULSEGROVE_APPLY_VIEW_FONTS
#include "BackgroundFileWriter.h"
#include "TemporaryDirectory.h"
#include "views/primitives/ViewFonts.h"
#endif

// Widget and store tests run on the offscreen platform with a real QApplication, so timers,
// queued calls and widget rendering behave as in the application without a desktop session.
// The view tests also take the application's default font, so their renders match the app.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
#ifdef PULSEGROVE_APPLY_VIEW_FONTS
    pulsegrove::ViewFonts::applyApplicationFont();
    pulsegrove::testing::TemporaryDirectory::setBeforeRemoval(
        [] { pulsegrove::BackgroundFileWriter::shared().flush(); });
#endif
    return RUN_ALL_TESTS();
}
