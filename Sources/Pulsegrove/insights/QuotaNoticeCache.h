#pragma once

#include "UserDefaults.h"
#include "insights/QuotaNoticeFeed.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace pulsegrove {

// The last successful feed check, kept as one JSON text in the user defaults so a restart can
// show the notices without checking again. A missing, malformed or incomplete value reads as
// no cache; it is replaced by the next successful check.
class QuotaNoticeCache {
public:
    static constexpr const char *defaultsKey = "pg.public-quota-notices.v1";
    // A real feed encodes to a few kilobytes. The cache shares the application's suite with the
    // preferences, whose file its readers take up to 1 MiB: a feed that would take more than a
    // quarter of that is not kept, so it can never crowd the preferences out.
    static constexpr std::size_t encodedSizeLimit = 256 * 1024;

    explicit QuotaNoticeCache(std::shared_ptr<UserDefaults> defaults);

    std::optional<QuotaNoticeFeed> load() const;
    // False, writing nothing, when the feed encodes to more than the limit or the defaults
    // refuse it; the previous value then stays, and the feed is still used for this run.
    bool save(const QuotaNoticeFeed &feed) const;

    static std::string encode(const QuotaNoticeFeed &feed);
    static std::optional<QuotaNoticeFeed> decode(std::string_view text);

private:
    std::shared_ptr<UserDefaults> m_defaults;
};

} // namespace pulsegrove
