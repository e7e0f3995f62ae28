#pragma once

#include "SystemLog.h"

#include <string>

namespace pulsegrove {

// The system log of a Linux desktop: syslog(3), which the journal collects. Every line carries
// the identifier "io.velorn.Pulsegrove" and starts with its category in brackets ("[quota] ...").
// syslog(3) drops its messages without a word when no log daemon listens, so where none does the
// lines go to standard error instead, as syslog(3) itself echoes them there:
// "io.velorn.Pulsegrove[<pid>]: [quota] ...".
class SyslogSystemLog : public SystemLog {
public:
    static constexpr const char *identifier = "io.velorn.Pulsegrove";
    // The socket syslog(3) sends to.
    static constexpr const char *defaultSocketPath = "/dev/log";

    // Whether a daemon listens at `socketPath` is checked once, here.
    explicit SyslogSystemLog(const std::string &socketPath = defaultSocketPath);

    void log(LogLevel level, const QString &category, const QString &format,
             const QStringList &arguments) override;

    // True when the messages go to the system log, false when they go to standard error.
    bool reachesSystemLog() const { return m_reachesSystemLog; }

    // The line handed to syslog.
    static QString line(const QString &category, const QString &format, const QStringList &arguments);

private:
    bool m_reachesSystemLog;
};

} // namespace pulsegrove
