#include "formatting/ZoneData.h"

#include "formatting/ZoneFile.h"
#include "formatting/ZoneWarningLog.h"

#include <algorithm>
#include <cctz/zone_info_source.h>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <mutex>
#include <sstream>
#include <unordered_map>

namespace pulsegrove {

namespace {

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

void reportComplaints(const std::string &text)
{
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            ZoneWarningLog::report("Zone library: " + line);
    }
}

std::unique_ptr<cctz::ZoneInfoSource>
sourceFor(const std::string &name,
          const std::function<std::unique_ptr<cctz::ZoneInfoSource>(const std::string &)> &fallback)
{
    if (!name.starts_with(ownNamePrefix))
        return fallback(name);
    return bytesBeingLoaded ? std::make_unique<MemorySource>(*bytesBeingLoaded) : nullptr;
}

} // namespace

bool ZoneData::isWellFormed(const std::string &bytes)
{
    return ZoneFile::parse(bytes).has_value();
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
    static std::mutex lock;
    static std::unordered_map<std::string, std::optional<cctz::time_zone>> loaded;
    const std::lock_guard guard(lock);
    if (const auto found = loaded.find(bytes); found != loaded.end())
        return found->second;
    // Checked only for bytes not loaded before: a zone is looked up again at every format.
    if (!isWellFormed(bytes))
        return std::nullopt;
    bytesBeingLoaded = &bytes;
    cctz::time_zone zone;
    // The library writes its complaints to std::clog; they belong in the application's log, once.
    std::ostringstream complaints;
    auto *const terminal = std::clog.rdbuf(complaints.rdbuf());
    const bool isZone =
        cctz::load_time_zone(std::string(ownNamePrefix) + std::to_string(loaded.size()), &zone);
    std::clog.rdbuf(terminal);
    bytesBeingLoaded = nullptr;
    reportComplaints(complaints.str());
    return loaded.emplace(bytes, isZone ? std::optional(zone) : std::nullopt).first->second;
}

} // namespace pulsegrove

namespace cctz_extension {
// The library reads zone data through this hook: ours serves the bytes we read ourselves.
ZoneInfoSourceFactory zone_info_source_factory = pulsegrove::sourceFor;
} // namespace cctz_extension
