#include "insights/QuotaNoticeCache.h"

#include "foundation/BoundedJSONParser.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

using nlohmann::json;

std::optional<Date> dateField(const json &object, const char *key)
{
    const auto field = object.find(key);
    if (field == object.end() || !field->is_number())
        return std::nullopt;
    const double seconds = field->get<double>();
    if (!std::isfinite(seconds))
        return std::nullopt;
    return Date::fromReferenceSeconds(seconds);
}

std::optional<QString> textField(const json &object, const char *key)
{
    const auto field = object.find(key);
    if (field == object.end() || !field->is_string())
        return std::nullopt;
    return QString::fromStdString(field->get<std::string>());
}

json encodeNotice(const QuotaNotice &notice)
{
    json object = {
        {"id", notice.id.toStdString()},
        {"title", notice.title.toStdString()},
        {"summary", notice.summary.toStdString()},
        {"sourceURL", notice.sourceURL.toStdString()},
        {"publishedAt", notice.publishedAt.secondsSinceReferenceDate()},
        {"expiresAt", notice.expiresAt.secondsSinceReferenceDate()},
    };
    if (notice.resetAt)
        object["resetAt"] = notice.resetAt->secondsSinceReferenceDate();
    return object;
}

std::optional<QuotaNotice> decodeNotice(const json &object)
{
    if (!object.is_object())
        return std::nullopt;
    const auto id = textField(object, "id");
    const auto title = textField(object, "title");
    const auto summary = textField(object, "summary");
    const auto sourceURL = textField(object, "sourceURL");
    const auto publishedAt = dateField(object, "publishedAt");
    const auto expiresAt = dateField(object, "expiresAt");
    const bool hasResetAt = object.contains("resetAt");
    const auto resetAt = dateField(object, "resetAt");
    if (!id || !title || !summary || !sourceURL || !publishedAt || !expiresAt || (hasResetAt && !resetAt))
        return std::nullopt;
    return QuotaNotice{*id, *title, *summary, *sourceURL, *publishedAt, *expiresAt, resetAt};
}

} // namespace

QuotaNoticeCache::QuotaNoticeCache(std::shared_ptr<UserDefaults> defaults) : m_defaults(std::move(defaults))
{
}

std::optional<QuotaNoticeFeed> QuotaNoticeCache::load() const
{
    const auto text = m_defaults ? m_defaults->stringValue(defaultsKey) : std::nullopt;
    return text ? decode(*text) : std::nullopt;
}

bool QuotaNoticeCache::save(const QuotaNoticeFeed &feed) const
{
    const std::string text = encode(feed);
    return m_defaults && text.size() <= encodedSizeLimit && m_defaults->setString(defaultsKey, text);
}

std::string QuotaNoticeCache::encode(const QuotaNoticeFeed &feed)
{
    json notices = json::array();
    for (const QuotaNotice &notice : feed.notices)
        notices.push_back(encodeNotice(notice));
    return json{{"checkedAt", feed.checkedAt.secondsSinceReferenceDate()}, {"notices", std::move(notices)}}
        .dump();
}

std::optional<QuotaNoticeFeed> QuotaNoticeCache::decode(std::string_view text)
{
    if (text.size() > encodedSizeLimit)
        return std::nullopt;
    const auto parsed = BoundedJSONParser::parse(text);
    if (!parsed.isParsed() || !parsed.value.is_object())
        return std::nullopt;
    const json &document = parsed.value;
    const auto checkedAt = dateField(document, "checkedAt");
    const auto notices = document.find("notices");
    if (!checkedAt || notices == document.end() || !notices->is_array())
        return std::nullopt;
    QuotaNoticeFeed feed{{}, *checkedAt};
    for (const json &element : *notices) {
        // One damaged notice spoils the whole value: showing a partial list as complete would
        // hide a notice the user relies on.
        auto notice = decodeNotice(element);
        if (!notice)
            return std::nullopt;
        feed.notices.append(std::move(*notice));
    }
    return feed;
}

} // namespace pulsegrove
