#include "quota/RateLimitResetCreditsSummary.h"

#include "quota/DecodingError.h"
#include "quota/JSONFields.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

// 0: expires after now, 1: expired at or before now, 2: no expiry.
int displayGroup(const RateLimitResetCredit &credit, Date now)
{
    const auto expiry = credit.expiryDate();
    if (!expiry)
        return 2;
    return *expiry > now ? 0 : 1;
}

bool displaysBefore(const RateLimitResetCredit &a, const RateLimitResetCredit &b, Date now)
{
    const int groupA = displayGroup(a, now);
    const int groupB = displayGroup(b, now);
    if (groupA != groupB)
        return groupA < groupB;
    if (groupA == 0)
        return *a.expiresAt < *b.expiresAt;
    if (groupA == 1)
        return *a.expiresAt > *b.expiresAt;
    return false;
}

} // namespace

std::int64_t RateLimitResetCreditsSummary::displayAvailableCount() const
{
    return std::max<std::int64_t>(availableCount, 0);
}

std::int64_t RateLimitResetCreditsSummary::returnedAvailableDetailCount() const
{
    if (!credits)
        return 0;
    return std::count_if(credits->begin(), credits->end(),
                         [](const auto &credit) { return credit.isAvailable(); });
}

std::int64_t RateLimitResetCreditsSummary::missingAvailableDetailCount() const
{
    return std::max<std::int64_t>(displayAvailableCount() - returnedAvailableDetailCount(), 0);
}

std::vector<RateLimitResetCredit> RateLimitResetCreditsSummary::availableCredits() const
{
    std::vector<RateLimitResetCredit> available;
    if (credits)
        std::copy_if(credits->begin(), credits->end(), std::back_inserter(available),
                     [](const auto &credit) { return credit.isAvailable(); });
    return available;
}

std::vector<RateLimitResetCredit> RateLimitResetCreditsSummary::availableCreditsForDisplay(Date now) const
{
    auto available = availableCredits();
    std::stable_sort(available.begin(), available.end(),
                     [now](const auto &a, const auto &b) { return displaysBefore(a, b, now); });
    return available;
}

std::vector<RateLimitResetCredit> RateLimitResetCreditsSummary::nearestExpiringCredits(std::int64_t limit,
                                                                                       Date now) const
{
    if (limit < 1)
        return {};
    auto upcoming = availableCredits();
    std::erase_if(upcoming, [now](const auto &credit) { return displayGroup(credit, now) != 0; });
    std::stable_sort(upcoming.begin(), upcoming.end(),
                     [](const auto &a, const auto &b) { return *a.expiresAt < *b.expiresAt; });
    if (static_cast<std::uint64_t>(limit) < upcoming.size())
        upcoming.resize(static_cast<std::size_t>(limit));
    return upcoming;
}

RateLimitResetCreditsSummary RateLimitResetCreditsSummary::fromJSON(const nlohmann::json &value)
{
    const auto &object = JSONFields::requireObject(value, "reset-credits summary");
    RateLimitResetCreditsSummary summary;
    summary.availableCount = JSONFields::requiredInteger(object, "availableCount");
    if (const auto *list = JSONFields::presentMember(object, "credits")) {
        if (!list->is_array())
            throw DecodingError("\"credits\" is not an array");
        summary.credits.emplace();
        summary.credits->reserve(list->size());
        for (const auto &entry : *list)
            summary.credits->push_back(RateLimitResetCredit::fromJSON(entry));
    }
    return summary;
}

nlohmann::json RateLimitResetCreditsSummary::toJSON() const
{
    nlohmann::json object = {{"availableCount", availableCount}};
    if (credits) {
        auto &list = object["credits"] = nlohmann::json::array();
        for (const auto &credit : *credits)
            list.push_back(credit.toJSON());
    }
    return object;
}

} // namespace pulsegrove
