#include "SyslogSystemLog.h"

#include <mutex>
#include <syslog.h>

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

} // namespace

SyslogSystemLog::SyslogSystemLog()
{
    // openlog keeps the identifier pointer, so it must be the static literal.
    static std::once_flag opened;
    std::call_once(opened, [] { openlog(identifier, LOG_PID, LOG_USER); });
}

void SyslogSystemLog::log(LogLevel level, const QString &category, const QString &format,
                          const QStringList &arguments)
{
    // The message always goes through "%s": it must never be read as a format of its own.
    syslog(priorityOf(level), "%s", line(category, format, arguments).toUtf8().constData());
}

QString SyslogSystemLog::line(const QString &category, const QString &format, const QStringList &arguments)
{
    return QLatin1Char('[') + category + QLatin1String("] ") + render(format, arguments);
}

} // namespace pulsegrove
