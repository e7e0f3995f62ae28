// The process entry. The update-helper question comes first, before any window, tray item or
// application object exists; then the command line (help, or a refusal of what it cannot read);
// then the single-instance check, so a second start only hands its request to the running one;
// then the application and its delegate, in launch order.

#include "Logger.h"
#include "PlatformFactory.h"
#include "SingleApplicationInstance.h"
#include "TerminationSignalNotifier.h"
#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "formatting/ZoneWarningLog.h"
#include "quota/CodexExecutableSearch.h"
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

void write(const QString &text, std::FILE *stream)
{
    std::fputs(text.toUtf8().constData(), stream);
}

// A second start asks the running copy for its preview, or to reopen, and leaves.
int handOff(const SingleApplicationInstance &instance, const QString &preview)
{
    if (preview.isEmpty() ? instance.requestReopen() : instance.requestPreview(preview))
        return 0;
    std::fputs("pulsegrove: Pulse Grove 已在运行，但没有回应打开窗口的请求\n", stderr);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList arguments = argumentsOf(argc, argv);
    if (const auto exitCode = UpdateInstaller::helperExitCodeIfRequested(arguments))
        return *exitCode;

    const auto options = LaunchOptions::parse(arguments);
    if (options.action() == LaunchOptions::Action::showHelp) {
        write(LaunchOptions::helpText(), stdout);
        return 0;
    }
    if (options.action() == LaunchOptions::Action::refuse) {
        write(options.refusalText(), stderr);
        return 2;
    }

    const auto log = PlatformFactory::sharedSystemLog();
    SingleApplicationInstance instance(SingleApplicationInstance::defaultRuntimeDirectory(log), log);
    if (instance.claim() == SingleApplicationInstance::Role::secondary)
        return handOff(instance, options.preview());
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

    CodexExecutableSearch::setRefusalLog([quotaLog = Logger(log, QStringLiteral("quota"))](const std::string &message) {
        quotaLog.error(QStringLiteral("%{public}s"), {QString::fromStdString(message)});
    });
    ZoneWarningLog::setLog([zoneLog = Logger(log, QStringLiteral("time-zone"))](const std::string &message) {
        zoneLog.error(QStringLiteral("%{public}s"), {QString::fromStdString(message)});
    });
    AppDelegate delegate;
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&instance, &SingleApplicationInstance::reopenRequested, &delegate, [&delegate] {
        delegate.applicationShouldHandleReopen(AppDelegate::hasVisibleWindows());
    });
    QObject::connect(&instance, &SingleApplicationInstance::previewRequested, &delegate,
                     &AppDelegate::openPreview);
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching(arguments);
    return application.exec();
}
