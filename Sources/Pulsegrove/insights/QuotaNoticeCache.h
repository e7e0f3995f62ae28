#pragma once

#include "UserDefaults.h"
#include "insights/QuotaNoticeFeed.h"

#include <memory>
#include <optional>

namespace pulsegrove {

// The last successful feed check, kept as one JSON text in the user defaults so a restart can
// show the notices without checking again. A missing, malformed or incomplete value reads as
// no cache; it is replaced by the next successful check.
class QuotaNoticeCache {
public:
    static constexpr const char *defaultsKey = "pg.public-quota-notices.v1";

    explicit QuotaNoticeCache(std::shared_ptr<UserDefaults> defaults);

    std::optional<QuotaNoticeFeed> load() const;
    // A failed write leaves the previous value; the feed is still used for this run.
    void save(const QuotaNoticeFeed &feed) const;

    static std::string encode(const QuotaNoticeFeed &feed);
    static std::optional<QuotaNoticeFeed> decode(std::string_view text);

private:
    std::shared_ptr<UserDefaults> m_defaults;
};

} // namespace pulsegrove
