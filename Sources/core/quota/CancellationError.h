#pragma once

#include <exception>

namespace pulsegrove {

// Thrown by blocking work that noticed its stop_token was triggered. Callers that cancelled the
// work expect it and show nothing.
class CancellationError : public std::exception {
public:
    const char *what() const noexcept override { return "The operation was cancelled."; }
};

} // namespace pulsegrove
