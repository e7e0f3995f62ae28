#include "TerminationSignalNotifier.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

constexpr std::array<int, 3> handledSignals = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};
// The signals this process handles: those not ignored when it started.
std::array<bool, handledSignals.size()> g_handled = {};

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Full pipe: the loop already has a signal to handle, so dropping this one loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

void setHandler(void (*handler)(int))
{
    for (std::size_t index = 0; index < handledSignals.size(); ++index) {
        if (!g_handled[index])
            continue;
        const int signalNumber = handledSignals[index];
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace

TerminationSignalNotifier::TerminationSignalNotifier(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] != -1 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignalNotifier::readSignals);
    // A signal ignored by whoever started us (`nohup` ignores SIGHUP) is meant to stay ignored.
    for (std::size_t index = 0; index < handledSignals.size(); ++index) {
        struct sigaction current = {};
        g_handled[index] = ::sigaction(handledSignals[index], nullptr, &current) == 0 &&
                           current.sa_handler != SIG_IGN;
    }
    setHandler(writeSignalNumber);
}

TerminationSignalNotifier::~TerminationSignalNotifier()
{
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignalNotifier::readSignals()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        Q_EMIT terminationRequested(int(byte));
}

} // namespace pulsegrove
