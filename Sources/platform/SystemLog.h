#pragma once

#include <QString>
#include <QStringList>

namespace pulsegrove {

enum class LogLevel { debug, info, notice, error, fault };

// The system log. Messages use the unified-log format: "%{public}s" shows its argument,
// "%{private}s" (and a bare "%s", private by default) shows "<private>", so that account
// details never reach a log that other users or bug reports may see.
class SystemLog {
public:
    virtual ~SystemLog() = default;

    virtual void log(LogLevel level, const QString &category, const QString &format,
                     const QStringList &arguments) = 0;

    // The text a message shows once its arguments are placed (or withheld).
    static QString render(const QString &format, const QStringList &arguments);
};

} // namespace pulsegrove
