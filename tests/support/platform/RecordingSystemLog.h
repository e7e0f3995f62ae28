#pragma once

#include "SystemLog.h"

#include <vector>

namespace pulsegrove {

// Keeps every message instead of logging it, so tests can check what would have been written.
class RecordingSystemLog : public SystemLog {
public:
    struct Entry {
        LogLevel level;
        QString category;
        QString format;
        QStringList arguments;
        QString rendered;
    };

    void log(LogLevel level, const QString &category, const QString &format,
             const QStringList &arguments) override
    {
        entries.push_back({level, category, format, arguments, render(format, arguments)});
    }

    std::vector<Entry> entries;
};

} // namespace pulsegrove
