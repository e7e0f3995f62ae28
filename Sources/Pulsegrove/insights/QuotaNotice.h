#pragma once

#include "foundation/Date.h"

#include <QString>
#include <optional>

namespace pulsegrove {

// One official notice of a temporary quota reset. Its texts are plain text, never markup.
struct QuotaNotice {
    QString id;
    QString title;
    QString summary;
    QString sourceURL;
    Date publishedAt;
    Date expiresAt;
    std::optional<Date> resetAt;

    friend bool operator==(const QuotaNotice &, const QuotaNotice &) = default;
};

} // namespace pulsegrove
