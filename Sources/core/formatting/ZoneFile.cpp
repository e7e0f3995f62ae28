#include "formatting/ZoneFile.h"

#include <string_view>

namespace pulsegrove {

namespace {

constexpr std::size_t headerSize = 44;
constexpr std::size_t typeLimit = 256;

// Reads big-endian numbers and runs of bytes, never past the end.
class Reader {
public:
    Reader(const std::string &bytes, std::size_t position) : m_bytes(bytes), m_position(position) {}

    std::size_t position() const { return m_position; }
    bool has(std::uint64_t count) const
    {
        return m_position <= m_bytes.size() && count <= m_bytes.size() - m_position;
    }

    std::uint64_t unsignedNumber(std::size_t size)
    {
        std::uint64_t value = 0;
        for (std::size_t index = 0; index < size; ++index)
            value = (value << 8) | std::uint8_t(m_bytes[m_position++]);
        return value;
    }
    std::int64_t signedNumber(std::size_t size)
    {
        const auto value = unsignedNumber(size);
        const auto signBit = std::uint64_t(1) << (size * 8 - 1);
        return (value & signBit) && size < 8 ? std::int64_t(value) - std::int64_t(signBit << 1)
                                             : std::int64_t(value);
    }
    std::string text(std::size_t count)
    {
        m_position += count;
        return m_bytes.substr(m_position - count, count);
    }
    void skip(std::uint64_t count) { m_position += std::size_t(count); }

private:
    const std::string &m_bytes;
    std::size_t m_position;
};

struct Counts {
    std::uint64_t utIndicators, standardIndicators, leapSeconds, transitions, types, characters;

    std::uint64_t blockLength(std::uint64_t timeSize) const
    {
        return transitions * (timeSize + 1) + types * 6 + characters + leapSeconds * (timeSize + 4) +
               standardIndicators + utIndicators;
    }
};

std::optional<Counts> header(Reader &reader)
{
    if (!reader.has(headerSize) || reader.text(4) != "TZif")
        return std::nullopt;
    reader.skip(16);
    Counts counts{};
    for (auto *count : {&counts.utIndicators, &counts.standardIndicators, &counts.leapSeconds,
                        &counts.transitions, &counts.types, &counts.characters})
        *count = reader.unsignedNumber(4);
    return counts;
}

bool readBlock(Reader &reader, const Counts &counts, std::size_t timeSize, ZoneFile &file)
{
    if (counts.types == 0 || counts.types > typeLimit || !reader.has(counts.blockLength(timeSize)))
        return false;
    for (std::uint64_t index = 0; index < counts.transitions; ++index)
        file.transitionTimes.push_back(reader.signedNumber(timeSize));
    for (std::uint64_t index = 0; index < counts.transitions; ++index) {
        file.transitionTypes.push_back(std::uint8_t(reader.unsignedNumber(1)));
        if (file.transitionTypes.back() >= counts.types)
            return false;
    }
    for (std::uint64_t index = 0; index < counts.types; ++index) {
        const auto offset = std::int32_t(reader.signedNumber(4));
        const bool isDaylightSaving = reader.unsignedNumber(1) != 0;
        file.types.push_back({offset, isDaylightSaving, std::uint8_t(reader.unsignedNumber(1))});
        if (file.types.back().abbreviationIndex >= counts.characters)
            return false;
    }
    file.abbreviations = reader.text(std::size_t(counts.characters));
    for (std::uint64_t index = 0; index < counts.leapSeconds; ++index) {
        const auto occurrence = reader.signedNumber(timeSize);
        file.leapSeconds.push_back({occurrence, std::int32_t(reader.signedNumber(4))});
    }
    reader.skip(counts.standardIndicators + counts.utIndicators);
    return true;
}

// "\nrule\n" after the last block; anything else there is no rule, as the C library takes it.
std::string ruleAfter(const std::string &bytes, std::size_t position)
{
    if (position >= bytes.size() || bytes[position] != '\n')
        return {};
    const auto end = bytes.find('\n', position + 1);
    return end == std::string::npos ? std::string() : bytes.substr(position + 1, end - position - 1);
}

void appendNumber(std::string &bytes, std::uint64_t value, std::size_t size)
{
    for (std::size_t index = size; index-- > 0;)
        bytes.push_back(char((value >> (index * 8)) & 0xff));
}

void appendHeader(std::string &bytes, std::size_t transitions, std::size_t types, std::size_t characters)
{
    bytes += "TZif2";
    bytes.append(15, '\0');
    for (const std::size_t count :
         {std::size_t(0), std::size_t(0), std::size_t(0), transitions, types, characters})
        appendNumber(bytes, count, 4);
}

void appendType(std::string &bytes, const ZoneFile::Type &type)
{
    appendNumber(bytes, std::uint32_t(type.offset), 4);
    bytes.push_back(type.isDaylightSaving ? '\1' : '\0');
    bytes.push_back(char(type.abbreviationIndex));
}

} // namespace

std::optional<ZoneFile> ZoneFile::parse(const std::string &bytes)
{
    Reader reader(bytes, 0);
    const auto first = header(reader);
    ZoneFile narrow;
    if (!first || !readBlock(reader, *first, 4, narrow))
        return std::nullopt;
    if (bytes[4] == '\0')
        return narrow;
    const auto second = header(reader);
    ZoneFile file;
    if (!second || !readBlock(reader, *second, 8, file))
        return std::nullopt;
    file.closingRule = ruleAfter(bytes, reader.position());
    return file;
}

void ZoneFile::dropLeapSeconds()
{
    for (auto &time : transitionTimes) {
        std::int32_t correction = 0;
        for (const auto &leap : leapSeconds) {
            if (leap.occurrence > time)
                break;
            correction = leap.correction;
        }
        std::int64_t corrected = 0;
        if (!__builtin_sub_overflow(time, std::int64_t(correction), &corrected))
            time = corrected;
    }
    leapSeconds.clear();
}

std::string ZoneFile::bytes() const
{
    std::string bytes;
    // Readers of version 1 data get the first type alone; the library reads the second block.
    appendHeader(bytes, 0, 1, abbreviations.size());
    appendType(bytes, types.front());
    bytes += abbreviations;
    appendHeader(bytes, transitionTimes.size(), types.size(), abbreviations.size());
    for (const auto time : transitionTimes)
        appendNumber(bytes, std::uint64_t(time), 8);
    for (const auto type : transitionTypes)
        bytes.push_back(char(type));
    for (const auto &type : types)
        appendType(bytes, type);
    bytes += abbreviations;
    return bytes + "\n\n";
}

} // namespace pulsegrove
