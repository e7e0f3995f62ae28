#include "foundation/Date.h"

#include <chrono>

namespace pulsegrove {

Date Date::now()
{
    using namespace std::chrono;
    const auto sinceUnixEpoch = duration<double>(system_clock::now().time_since_epoch()).count();
    return fromUnixSeconds(sinceUnixEpoch);
}

} // namespace pulsegrove
