#include "SyslogSystemLog.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

namespace pulsegrove {

namespace {

int priorityOf(LogLevel level)
{
    switch (level) {
    case LogLevel::debug:
        return LOG_DEBUG;
    case LogLevel::info:
        return LOG_INFO;
    case LogLevel::notice:
        return LOG_NOTICE;
    case LogLevel::error:
        return LOG_ERR;
    case LogLevel::fault:
        return LOG_CRIT;
    }
    return LOG_NOTICE;
}

// Connects as syslog(3) does: a datagram socket, or a stream socket where the listener takes
// streams. A missing path, a file that is no socket and a socket nobody serves all refuse.
bool acceptsConnections(const std::string &socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    for (const int type : {SOCK_DGRAM, SOCK_STREAM}) {
        const int socket = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
        if (socket < 0)
            return false;
        const bool connected =
            ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
        const int error = errno;
        ::close(socket);
        if (connected)
            return true;
        if (error != EPROTOTYPE)
            return false;
    }
    return false;
}

// One write per line, so lines from several threads never interleave.
void writeToStandardError(const std::string &text)
{
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t result = ::write(STDERR_FILENO, text.data() + written, text.size() - written);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return;
        written += static_cast<std::size_t>(result);
    }
}

} // namespace

SyslogSystemLog::SyslogSystemLog(const std::string &socketPath)
    : m_reachesSystemLog(acceptsConnections(socketPath))
{
    if (!m_reachesSystemLog)
        return;
    // openlog keeps the identifier pointer, so it must be the static literal.
    static std::once_flag opened;
    std::call_once(opened, [] { openlog(identifier, LOG_PID, LOG_USER); });
}

void SyslogSystemLog::log(LogLevel level, const QString &category, const QString &format,
                          const QStringList &arguments)
{
    const QByteArray message = line(category, format, arguments).toUtf8();
    if (!m_reachesSystemLog) {
        writeToStandardError(std::string(identifier) + '[' + std::to_string(::getpid()) +
                             "]: " + message.toStdString() + '\n');
        return;
    }
    // The message always goes through "%s": it must never be read as a format of its own.
    syslog(priorityOf(level), "%s", message.constData());
}

QString SyslogSystemLog::line(const QString &category, const QString &format, const QStringList &arguments)
{
    return QLatin1Char('[') + category + QLatin1String("] ") + render(format, arguments);
}

} // namespace pulsegrove
