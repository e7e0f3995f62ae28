#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace pulsegrove {

// Parses JSON text that someone else wrote, with a limit on how deeply arrays and objects nest.
// Without it, a megabyte of "[" costs hundreds of megabytes of nested values before the parser
// notices that nothing closes; with it, the parse stops at the first bracket too deep. Never
// throws for bad text: the result says what went wrong.
class BoundedJSONParser {
public:
    // Far deeper than any file or reply of ours, far shallower than what hurts.
    static constexpr std::size_t defaultMaximumDepth = 64;

    enum class Status { parsed, invalid, tooDeep };

    struct Result {
        Status status = Status::invalid;
        nlohmann::json value;
        // The parser's diagnostic for invalid text, or the depth that was exceeded.
        std::string failure;

        bool isParsed() const { return status == Status::parsed; }
    };

    // A top-level value at depth 0 is allowed; "[[1]]" nests to depth 2.
    static Result parse(std::string_view text, std::size_t maximumDepth = defaultMaximumDepth);
};

} // namespace pulsegrove
