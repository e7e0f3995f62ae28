#include "preferences/CodexPlanTier.h"

#include <algorithm>
#include <array>
#include <utility>

namespace pulsegrove {

namespace {

// The Unicode white space and line-break characters other than ASCII, as UTF-8, so a plan type
// padded with, say, a no-break space still matches.
constexpr std::array<std::string_view, 19> nonASCIIWhitespace = {
    "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006",
    "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"};

bool isASCIIWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Length of the white-space character that starts (atFront) or ends the text, or 0.
std::size_t whitespaceLength(std::string_view text, bool atFront)
{
    if (text.empty())
        return 0;
    if (isASCIIWhitespace(atFront ? text.front() : text.back()))
        return 1;
    const auto matches = [&](std::string_view candidate) {
        return atFront ? text.starts_with(candidate) : text.ends_with(candidate);
    };
    for (const std::string_view candidate : nonASCIIWhitespace) {
        if (matches(candidate))
            return candidate.size();
    }
    return 0;
}

std::string_view trimmed(std::string_view text)
{
    while (const std::size_t length = whitespaceLength(text, true))
        text.remove_prefix(length);
    while (const std::size_t length = whitespaceLength(text, false))
        text.remove_suffix(length);
    return text;
}

// Only ASCII letters need folding: every known plan text is ASCII, and no non-ASCII letter
// lower-cases to a text made only of the letters they use.
std::string asciiLowercased(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return result;
}

constexpr std::array<std::pair<std::string_view, std::string_view>, 9> otherLabels = {{
    {"team", "BUSINESS"},
    {"self_serve_business_usage_based", "BUSINESS"},
    {"business", "ENTERPRISE"},
    {"enterprise_cbp_usage_based", "ENTERPRISE"},
    {"enterprise", "ENTERPRISE"},
    {"edu", "EDU"},
    {"education", "EDU"},
    {"free", "FREE"},
    {"go", "GO"},
}};

} // namespace

CodexPlanTier::CodexPlanTier(std::string_view rawPlanType)
{
    const std::string planType = asciiLowercased(trimmed(rawPlanType));
    if (planType == "plus") {
        m_kind = Kind::plus;
    } else if (planType == "prolite") {
        m_kind = Kind::proFiveX;
    } else if (planType == "pro") {
        m_kind = Kind::proTwentyX;
    } else {
        const auto match = std::find_if(otherLabels.begin(), otherLabels.end(),
                                        [&](const auto &entry) { return entry.first == planType; });
        m_label = match != otherLabels.end() ? std::string(match->second) : std::string("CODEX");
    }
}

std::string CodexPlanTier::displayName() const
{
    switch (m_kind) {
    case Kind::plus:
        return "PLUS";
    case Kind::proFiveX:
        return "PRO 5×";
    case Kind::proTwentyX:
        return "PRO 20×";
    case Kind::other:
        break;
    }
    return m_label;
}

} // namespace pulsegrove
