#include "insights/QuotaNoticeFeed.h"

namespace pulsegrove {

QFuture<std::optional<QList<QuotaNotice>>> QuotaNoticeFeed::fetchPublishedNotices(std::stop_token stopToken)
{
    Q_UNUSED(stopToken)
    return QtFuture::makeReadyFuture(std::optional<QList<QuotaNotice>>());
}

} // namespace pulsegrove
