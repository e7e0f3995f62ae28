#include "foundation/BoundedJSONParser.h"

namespace pulsegrove {

namespace {

using Json = nlohmann::json;
using DocumentBuilder = nlohmann::detail::json_sax_dom_parser<Json>;

// Builds the document like nlohmann's own parser, but stops the parse (a false return ends it at
// once) when a container would open beyond the limit, and keeps the diagnostic of a syntax error
// instead of throwing it.
class DepthLimitedBuilder {
public:
    DepthLimitedBuilder(Json &root, std::size_t maximumDepth)
        : m_builder(root, false), m_maximumDepth(maximumDepth)
    {
    }

    bool null() { return m_builder.null(); }
    bool boolean(bool value) { return m_builder.boolean(value); }
    bool number_integer(Json::number_integer_t value) { return m_builder.number_integer(value); }
    bool number_unsigned(Json::number_unsigned_t value) { return m_builder.number_unsigned(value); }
    bool number_float(Json::number_float_t value, const Json::string_t &text)
    {
        return m_builder.number_float(value, text);
    }
    bool string(Json::string_t &value) { return m_builder.string(value); }
    bool binary(Json::binary_t &value) { return m_builder.binary(value); }
    bool key(Json::string_t &value) { return m_builder.key(value); }

    bool start_object(std::size_t length) { return enter() && m_builder.start_object(length); }
    bool start_array(std::size_t length) { return enter() && m_builder.start_array(length); }
    bool end_object()
    {
        --m_depth;
        return m_builder.end_object();
    }
    bool end_array()
    {
        --m_depth;
        return m_builder.end_array();
    }

    template <class Exception> bool parse_error(std::size_t, const std::string &, const Exception &error)
    {
        m_failure = error.what();
        return false;
    }

    bool tooDeep() const { return m_tooDeep; }
    const std::string &failure() const { return m_failure; }

private:
    bool enter()
    {
        if (m_depth == m_maximumDepth) {
            m_tooDeep = true;
            return false;
        }
        ++m_depth;
        return true;
    }

    DocumentBuilder m_builder;
    std::size_t m_maximumDepth;
    std::size_t m_depth = 0;
    bool m_tooDeep = false;
    std::string m_failure;
};

} // namespace

BoundedJSONParser::Result BoundedJSONParser::parse(std::string_view text, std::size_t maximumDepth)
{
    Result result;
    DepthLimitedBuilder builder(result.value, maximumDepth);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text, &builder);
    } catch (const Json::exception &error) {
        // The builder refuses containers larger than a vector can hold by throwing.
        result.failure = error.what();
    }
    if (parsed) {
        result.status = Status::parsed;
        return result;
    }
    result.value = Json();
    if (builder.tooDeep()) {
        result.status = Status::tooDeep;
        result.failure = "nesting deeper than " + std::to_string(maximumDepth) + " levels";
    } else if (result.failure.empty()) {
        result.failure = builder.failure();
    }
    return result;
}

} // namespace pulsegrove
