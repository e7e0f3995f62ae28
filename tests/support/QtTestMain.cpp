#include <QApplication>
#include <gtest/gtest.h>

// Widget and store tests run on the offscreen platform with a real QApplication, so timers,
// queued calls and widget rendering behave as in the application without a desktop session.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
