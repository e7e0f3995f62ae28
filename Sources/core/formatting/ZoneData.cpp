#include "formatting/ZoneData.h"

#include <algorithm>
#include <cctz/zone_info_source.h>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace pulsegrove {

namespace {

constexpr std::size_t headerSize = 44;

std::uint64_t bigEndian32(const std::string &bytes, std::size_t offset)
{
    std::uint64_t value = 0;
    for (std::size_t index = 0; index < 4; ++index)
        value = (value << 8) | std::uint8_t(bytes[offset + index]);
    return value;
}

// The length of the data block that the header at offset announces, or nothing when the header
// does not fit; timeSize is 4 for the first block and 8 for the later one.
std::optional<std::uint64_t> blockLength(const std::string &bytes, std::size_t offset, std::uint64_t timeSize)
{
    if (bytes.size() < offset + headerSize || bytes.compare(offset, 4, "TZif") != 0)
        return std::nullopt;
    const auto count = [&](int index) { return bigEndian32(bytes, offset + 20 + std::size_t(index) * 4); };
    const std::uint64_t utIndicators = count(0), standardIndicators = count(1), leaps = count(2),
                        transitions = count(3), types = count(4), characters = count(5);
    return transitions * (timeSize + 1) + types * 6 + characters + leaps * (timeSize + 4) + standardIndicators +
           utIndicators;
}

// Hands bytes to the library by a name of our own, one per distinct content. The library asks for
// a zone's data from the thread that loads it, so the bytes travel in a thread-local slot.
thread_local const std::string *bytesBeingLoaded = nullptr;
constexpr std::string_view ownNamePrefix = "pulsegrove-zone-data:";

class MemorySource : public cctz::ZoneInfoSource {
public:
    explicit MemorySource(std::string bytes) : m_bytes(std::move(bytes)) {}

    std::size_t Read(void *destination, std::size_t size) override
    {
        const std::size_t length = std::min(size, m_bytes.size() - m_position);
        std::memcpy(destination, m_bytes.data() + m_position, length);
        m_position += length;
        return length;
    }

    int Skip(std::size_t offset) override
    {
        if (offset > m_bytes.size() - m_position)
            return -1;
        m_position += offset;
        return 0;
    }

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

std::unique_ptr<cctz::ZoneInfoSource> sourceFor(
    const std::string &name,
    const std::function<std::unique_ptr<cctz::ZoneInfoSource>(const std::string &)> &fallback)
{
    if (!name.starts_with(ownNamePrefix))
        return fallback(name);
    return bytesBeingLoaded ? std::make_unique<MemorySource>(*bytesBeingLoaded) : nullptr;
}

} // namespace

bool ZoneData::isWellFormed(const std::string &bytes)
{
    const auto first = blockLength(bytes, 0, 4);
    if (!first || *first > bytes.size() - headerSize)
        return false;
    if (bytes[4] == '\0')
        return true;
    const std::size_t second = headerSize + std::size_t(*first);
    const auto secondLength = blockLength(bytes, second, 8);
    return secondLength && *secondLength <= bytes.size() - second - headerSize;
}

std::string ZoneData::footer(const std::string &bytes)
{
    if (bytes.size() < 2 || bytes.back() != '\n')
        return {};
    const auto start = bytes.rfind('\n', bytes.size() - 2);
    return start == std::string::npos ? std::string() : bytes.substr(start + 1, bytes.size() - start - 2);
}

std::optional<cctz::time_zone> ZoneData::rules(const std::string &bytes)
{
    if (!isWellFormed(bytes))
        return std::nullopt;
    static std::mutex lock;
    static std::unordered_map<std::string, std::optional<cctz::time_zone>> loaded;
    const std::lock_guard guard(lock);
    if (const auto found = loaded.find(bytes); found != loaded.end())
        return found->second;
    bytesBeingLoaded = &bytes;
    cctz::time_zone zone;
    const bool isZone = cctz::load_time_zone(std::string(ownNamePrefix) + std::to_string(loaded.size()), &zone);
    bytesBeingLoaded = nullptr;
    return loaded.emplace(bytes, isZone ? std::optional(zone) : std::nullopt).first->second;
}

} // namespace pulsegrove

namespace cctz_extension {
// The library reads zone data through this hook: ours serves the bytes we read ourselves.
ZoneInfoSourceFactory zone_info_source_factory = pulsegrove::sourceFor;
} // namespace cctz_extension
