#include "foundation/BoundedJSONParser.h"

#include <gtest/gtest.h>

using namespace pulsegrove;
using Status = BoundedJSONParser::Status;

namespace {

struct ParseCase {
    std::string text;
    std::size_t maximumDepth;
    Status expected;
};

std::string nested(std::size_t depth, char open = '[', char close = ']')
{
    return std::string(depth, open) + std::string(depth, close);
}

} // namespace

TEST(BoundedJSONParserTests, ParsesWithinTheDepthAndRefusesBeyondIt)
{
    const std::vector<ParseCase> cases = {
        {R"({"a":1,"b":[true,null,"x"]})", 64, Status::parsed},
        {"42", 0, Status::parsed},
        {"[]", 0, Status::tooDeep},
        {R"({"a":{"b":[{}]}})", 4, Status::parsed},
        {R"({"a":{"b":[{}]}})", 3, Status::tooDeep},
        // Siblings do not add up: depth is nesting, not count.
        {"[[],[],[],{},[[]]]", 3, Status::parsed},
        {nested(64), 64, Status::parsed},
        {nested(65), 64, Status::tooDeep},
        // A megabyte of openings with nothing closed stops at the limit, not at the end.
        {std::string(1 << 20, '['), 64, Status::tooDeep},
        {std::string(1 << 20, '{'), 64, Status::invalid},
        {R"({"a":)", 64, Status::invalid},
        {"{} trailing", 64, Status::invalid},
        {"\"\xff\"", 64, Status::invalid},
        {"", 64, Status::invalid},
    };
    for (const auto &[text, maximumDepth, expected] : cases) {
        const auto result = BoundedJSONParser::parse(text, maximumDepth);
        SCOPED_TRACE(text.substr(0, 40) + " at most " + std::to_string(maximumDepth));
        EXPECT_EQ(result.status, expected);
        EXPECT_EQ(result.isParsed(), result.failure.empty());
        if (expected == Status::parsed)
            EXPECT_EQ(result.value, nlohmann::json::parse(text));
        else
            EXPECT_TRUE(result.value.is_null());
    }
}
