#pragma once

#include "SystemLog.h"

namespace pulsegrove {

// The system log of a Linux desktop: syslog(3), which the journal collects. Every line carries
// the identifier "io.velorn.Pulsegrove" and starts with its category in brackets ("[quota] ...").
class SyslogSystemLog : public SystemLog {
public:
    static constexpr const char *identifier = "io.velorn.Pulsegrove";

    SyslogSystemLog();

    void log(LogLevel level, const QString &category, const QString &format,
             const QStringList &arguments) override;

    // The line handed to syslog.
    static QString line(const QString &category, const QString &format, const QStringList &arguments);
};

} // namespace pulsegrove
