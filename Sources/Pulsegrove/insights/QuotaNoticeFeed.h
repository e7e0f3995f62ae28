#pragma once

#include "foundation/Date.h"
#include "insights/QuotaNotice.h"

#include <QFuture>
#include <QList>
#include <optional>
#include <stop_token>

namespace pulsegrove {

// The notices of one successful check of the official notice feed, and when it was made.
struct QuotaNoticeFeed {
    QList<QuotaNotice> notices;
    Date checkedAt;

    // The one place where the published notices are obtained. It yields the validated notices in
    // feed order, or nothing when none could be had. No feed address, format or validation has
    // been settled, so it asks nothing of the network and always yields nothing; a real feed
    // client goes here, honouring `stopToken`.
    static QFuture<std::optional<QList<QuotaNotice>>> fetchPublishedNotices(std::stop_token stopToken);

    friend bool operator==(const QuotaNoticeFeed &, const QuotaNoticeFeed &) = default;
};

} // namespace pulsegrove
