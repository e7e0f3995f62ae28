#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace pulsegrove {

// The failures of one quota exchange with the Codex app server. errorDescription() (and what())
// is the sentence the user sees.
class CodexRateLimitClientError : public std::exception {
public:
    enum class Case {
        launchFailed,
        serverError,
        executableNotFound,
        connectionClosed,
        requestTimedOut,
        malformedResponse,
    };

    // The payload is the platform's description of the launch failure.
    static CodexRateLimitClientError launchFailed(const std::string &description);
    // The payload is the message the server sent, at most about 200 characters of it and with
    // control and bidirectional formatting characters removed.
    static CodexRateLimitClientError serverError(const std::string &message);
    static CodexRateLimitClientError executableNotFound();
    static CodexRateLimitClientError connectionClosed();
    static CodexRateLimitClientError requestTimedOut();
    static CodexRateLimitClientError malformedResponse();

    Case errorCase() const { return m_case; }
    const std::string &payload() const { return m_payload; }
    const std::string &errorDescription() const { return m_description; }
    const char *what() const noexcept override { return m_description.c_str(); }

private:
    CodexRateLimitClientError(Case errorCase, std::string_view payload);

    Case m_case;
    std::string m_payload;
    std::string m_description;
};

} // namespace pulsegrove
