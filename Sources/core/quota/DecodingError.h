#pragma once

#include <stdexcept>
#include <string>

namespace pulsegrove {

// Raised when a JSON value does not have the shape a quota model needs. Callers never show it:
// the Codex client turns it into its malformed-response error, the quota cache into "no cached
// snapshot".
class DecodingError : public std::runtime_error {
public:
    explicit DecodingError(const std::string &message) : std::runtime_error(message) {}
};

} // namespace pulsegrove
