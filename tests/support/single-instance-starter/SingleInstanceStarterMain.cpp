// single_instance_starter <runtime folder>
// Starts as the application does up to its single-instance check, in the same order. A second
// start asks the running one to reopen and exits 0 when it answered, 1 when not. The first makes
// its application object, listens, prints "listening" and serves until one reopen request has
// come (exit 0) or a minute has passed (exit 3), so none outlives a test that failed. Exits 2 when
// it runs unguarded, 100 for bad arguments.
#include "SingleApplicationInstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

using pulsegrove::SingleApplicationInstance;

int main(int argc, char **argv)
{
    if (argc != 2)
        return 100;
    SingleApplicationInstance instance(QString::fromLocal8Bit(argv[1]));
    const auto role = instance.claim();
    if (role == SingleApplicationInstance::Role::secondary)
        return instance.requestReopen() ? 0 : 1;
    if (role == SingleApplicationInstance::Role::unguarded)
        return 2;
    QCoreApplication application(argc, argv);
    if (!instance.listen())
        return 1;
    QObject::connect(
        &instance, &SingleApplicationInstance::reopenRequested, &application,
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    QTimer::singleShot(std::chrono::minutes(1), &application, [] { QCoreApplication::exit(3); });
    std::puts("listening");
    std::fflush(stdout);
    return application.exec();
}
