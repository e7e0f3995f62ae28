#include "update/RunningVersion.h"

namespace pulsegrove {

RunningVersion RunningVersion::current()
{
    // Both come from the build (the project's version and PULSEGROVE_BUILD_NUMBER).
    return {QStringLiteral(PULSEGROVE_SHORT_VERSION), QStringLiteral(PULSEGROVE_BUILD_NUMBER)};
}

} // namespace pulsegrove
