#pragma once

#include "foundation/Date.h"

#include <functional>

namespace pulsegrove {

// The stores read "now" through this, so tests can move time without sleeping.
using Clock = std::function<Date()>;

inline Clock systemClock() { return [] { return Date::now(); }; }

} // namespace pulsegrove
