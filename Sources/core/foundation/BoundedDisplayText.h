#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pulsegrove {

// Text from outside (a server's error message) made fit for one status line, a tool tip and a log
// line: at most `limit` characters, then "…"; line breaks and tabs become spaces; other control
// characters (C0, DEL, C1) and the bidirectional formatting characters that could reorder what
// surrounds the text are dropped; bytes that are not UTF-8 become U+FFFD. Characters are never cut
// in half, and the result holds no NUL, so a C string of it is the whole of it.
class BoundedDisplayText {
public:
    static constexpr std::size_t defaultLimit = 200;
    static constexpr std::string_view ellipsis = "…";

    static std::string make(std::string_view text, std::size_t limit = defaultLimit);
};

} // namespace pulsegrove
