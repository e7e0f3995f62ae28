#include "Logger.h"

namespace pulsegrove {

Logger::Logger(std::shared_ptr<SystemLog> log, QString category)
    : m_log(std::move(log)), m_category(std::move(category))
{
}

void Logger::info(const QString &format, const QStringList &arguments) const
{
    if (m_log)
        m_log->log(LogLevel::info, m_category, format, arguments);
}

void Logger::error(const QString &format, const QStringList &arguments) const
{
    if (m_log)
        m_log->log(LogLevel::error, m_category, format, arguments);
}

} // namespace pulsegrove
