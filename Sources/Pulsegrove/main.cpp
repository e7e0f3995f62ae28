// The process entry. The update-helper question comes first, before any window, tray item or
// application object exists; then the single-instance check, so a second plain start only asks
// the running one to reopen; then the application and its delegate, in launch order.

#include "SingleApplicationInstance.h"
#include "TerminationSignalNotifier.h"
#include "app/AppDelegate.h"
#include "update/UpdateInstaller.h"
#include "views/primitives/ViewFonts.h"

#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace pulsegrove;

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

// Without any display the toolkit would abort with a page of diagnostics; one line says it all.
// A platform that draws elsewhere (offscreen, a framebuffer) needs none.
bool hasDisplay()
{
    const auto value = [](const char *name) {
        const char *text = std::getenv(name);
        return std::string_view(text ? text : "");
    };
    const std::string_view platform = value("QT_QPA_PLATFORM");
    const bool needsDisplay =
        platform.empty() || platform.starts_with("xcb") || platform.starts_with("wayland");
    return !needsDisplay || !value("DISPLAY").empty() || !value("WAYLAND_DISPLAY").empty();
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList arguments = argumentsOf(argc, argv);
    if (const auto exitCode = UpdateInstaller::helperExitCodeIfRequested(arguments))
        return *exitCode;

    SingleApplicationInstance instance;
    const bool plainStart = arguments.size() <= 1;
    if (instance.claim() == SingleApplicationInstance::Role::secondary && plainStart) {
        if (instance.requestReopen())
            return 0;
        std::fputs("pulsegrove: Pulse Grove 已在运行，但没有回应打开窗口的请求\n", stderr);
        return 1;
    }
    if (!hasDisplay()) {
        std::fputs("pulsegrove: 没有可用的图形显示（DISPLAY 与 WAYLAND_DISPLAY 均未设置）\n", stderr);
        return 1;
    }

    QApplication::setApplicationName(QStringLiteral("pulsegrove"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.velorn.Pulsegrove"));
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    ViewFonts::applyApplicationFont();
    if (instance.role() == SingleApplicationInstance::Role::primary)
        instance.listen();

    // Termination by the session or a signal ends the application as quitting from the menu
    // does: the event loop returns, will-terminate runs, and destroying the delegate stops any
    // codex exchange still running, child included.
    TerminationSignalNotifier terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignalNotifier::terminationRequested, &application,
                     [] { QCoreApplication::quit(); });

    AppDelegate delegate;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&instance, &SingleApplicationInstance::reopenRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(AppDelegate::hasVisibleWindows());
    });
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching(arguments);
    return application.exec();
}
