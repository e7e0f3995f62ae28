#include "formatting/PosixZoneRule.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace pulsegrove {

namespace {

bool isAlpha(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads one part of the rule at a time, moving only forwards.
class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_position == m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_position]; }
    std::string_view rest() const { return m_text.substr(m_position); }

    // "EST" or "<+0530>": three or more letters, or three or more of [A-Za-z0-9+-] in brackets.
    std::optional<std::string> abbreviation()
    {
        const bool quoted = peek() == '<';
        const std::size_t start = m_position + (quoted ? 1 : 0);
        std::size_t end = start;
        while (end < m_text.size() &&
               (quoted ? isAlpha(m_text[end]) || isDigit(m_text[end]) || m_text[end] == '+' || m_text[end] == '-'
                       : isAlpha(m_text[end])))
            ++end;
        if (end - start < 3 || (quoted && (end == m_text.size() || m_text[end] != '>')))
            return std::nullopt;
        m_position = end + (quoted ? 1 : 0);
        return std::string(m_text.substr(start, end - start));
    }

    // "[+-]hh[:mm[:ss]]" in seconds west of UTC, as POSIX counts.
    std::optional<std::int32_t> offsetWest()
    {
        std::int32_t sign = 1;
        if (peek() == '+' || peek() == '-')
            sign = m_text[m_position++] == '-' ? -1 : 1;
        const auto hours = number();
        if (!hours || *hours > 24)
            return std::nullopt;
        std::int32_t seconds = *hours * 3600;
        for (const std::int32_t unit : {60, 1}) {
            if (peek() != ':')
                break;
            ++m_position;
            const auto part = number();
            if (!part || *part > 59)
                return std::nullopt;
            seconds += *part * unit;
        }
        return sign * seconds;
    }

private:
    std::optional<std::int32_t> number()
    {
        const std::size_t start = m_position;
        while (m_position < m_text.size() && m_position - start < 2 && isDigit(m_text[m_position]))
            ++m_position;
        if (m_position == start)
            return std::nullopt;
        std::int32_t value = 0;
        for (std::size_t index = start; index < m_position; ++index)
            value = value * 10 + (m_text[index] - '0');
        return value;
    }

    std::string_view m_text;
    std::size_t m_position = 0;
};

void appendBigEndian(std::string &bytes, std::uint64_t value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        bytes.push_back(char((value >> shift) & 0xff));
}

struct TimeType {
    std::int32_t offsetEast;
    bool isDaylightSaving;
    std::string abbreviation;
};

// One header and data block: the transitions (at 8-byte times) and the time types they lead to.
void appendBlock(std::string &bytes, const std::vector<std::pair<std::int64_t, std::uint8_t>> &transitions,
                 const std::vector<TimeType> &types)
{
    std::string abbreviations;
    for (const auto &type : types)
        abbreviations += type.abbreviation + '\0';
    bytes += "TZif2";
    bytes.append(15, '\0');
    for (const std::size_t count : {std::size_t(0), std::size_t(0), std::size_t(0), transitions.size(), types.size(),
                                    abbreviations.size()})
        appendBigEndian(bytes, count, 4);
    for (const auto &transition : transitions)
        appendBigEndian(bytes, std::uint64_t(transition.first), 8);
    for (const auto &transition : transitions)
        bytes.push_back(char(transition.second));
    std::size_t abbreviationIndex = 0;
    for (const auto &type : types) {
        appendBigEndian(bytes, std::uint32_t(type.offsetEast), 4);
        bytes.push_back(type.isDaylightSaving ? '\1' : '\0');
        bytes.push_back(char(abbreviationIndex));
        abbreviationIndex += type.abbreviation.size() + 1;
    }
    bytes += abbreviations;
}

} // namespace

std::optional<std::string> PosixZoneRule::zoneData(std::string_view rule, FirstChange first)
{
    if (rule.empty() || rule.size() > lengthLimit)
        return std::nullopt;
    for (const char c : rule) {
        if (c <= ' ' || c > '~')
            return std::nullopt;
    }
    Scanner scanner(rule);
    const auto standard = scanner.abbreviation();
    const auto standardOffset = standard ? scanner.offsetWest() : std::nullopt;
    if (!standardOffset)
        return std::nullopt;
    std::vector<TimeType> types{{-*standardOffset, false, *standard}};
    std::string footer(rule);
    if (!scanner.atEnd()) {
        const auto daylight = scanner.abbreviation();
        if (!daylight)
            return std::nullopt;
        auto daylightOffset = std::optional(*standardOffset - 3600);
        if (scanner.peek() != ',' && !scanner.atEnd())
            daylightOffset = scanner.offsetWest();
        if (!daylightOffset || (!scanner.atEnd() && scanner.peek() != ','))
            return std::nullopt;
        // Daylight saving without dates: the C library's fallback, the United States' rule.
        if (scanner.atEnd())
            footer += ",M3.2.0,M11.1.0";
        types.push_back({-*daylightOffset, true, *daylight});
    }
    // With daylight saving, two changes in 1970 in the rule's order; the zone library derives
    // every later year from the closing rule.
    constexpr std::int64_t march1970 = 5097600, september1970 = 20995200;
    const std::uint8_t firstType = first == FirstChange::toDaylightSaving ? 1 : 0;
    std::vector<std::pair<std::int64_t, std::uint8_t>> transitions;
    if (types.size() == 2)
        transitions = {{march1970, firstType}, {september1970, std::uint8_t(1 - firstType)}};
    std::string bytes;
    appendBlock(bytes, {}, {types.front()});
    appendBlock(bytes, transitions, types);
    bytes += "\n" + footer + "\n";
    return bytes;
}

} // namespace pulsegrove
