#pragma once

#include "SystemLog.h"

#include <memory>

namespace pulsegrove {

// One category of the application's log (subsystem "io.velorn.Pulsegrove"), e.g. "quota".
class Logger {
public:
    Logger(std::shared_ptr<SystemLog> log, QString category);

    void info(const QString &format, const QStringList &arguments = {}) const;
    void error(const QString &format, const QStringList &arguments = {}) const;

private:
    std::shared_ptr<SystemLog> m_log;
    QString m_category;
};

} // namespace pulsegrove
