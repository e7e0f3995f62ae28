#include "formatting/ZoneWarningLog.h"

#include "foundation/OnceLog.h"

namespace pulsegrove {

namespace {

OnceLog &onceLog()
{
    static OnceLog log;
    return log;
}

} // namespace

void ZoneWarningLog::setLog(Log log)
{
    onceLog().setLog(std::move(log));
}

void ZoneWarningLog::report(const std::string &message)
{
    onceLog().report(message);
}

} // namespace pulsegrove
