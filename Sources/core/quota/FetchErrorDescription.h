#pragma once

#include <exception>
#include <string>

namespace pulsegrove {

// The sentence a user sees for a failed quota exchange. The client's own failures carry fixed
// Chinese sentences; a reply line that is not JSON passes through as the parser's error, whose
// English diagnostic is meant for developers, so it is shown as the platform's Chinese sentence
// for unreadable data instead. Other passed-through errors keep their own text, bounded and cleaned
// as the server's messages are.
class FetchErrorDescription {
public:
    static constexpr const char *unreadableData = "未能读取数据，因为它的格式不正确。";

    static std::string describe(const std::exception &error);
};

} // namespace pulsegrove
