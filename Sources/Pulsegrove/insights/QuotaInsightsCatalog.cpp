#include "insights/QuotaInsightsCatalog.h"

#include "MainBundle.h"
#include "foundation/BoundedJSONParser.h"
#include "foundation/SmallFileReader.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace pulsegrove {

namespace {

using nlohmann::json;

// Absent and null both mean "not published"; anything else must be a usable rate.
bool readRate(const json &object, const char *key, std::optional<double> &rate)
{
    const auto field = object.find(key);
    if (field == object.end() || field->is_null())
        return true;
    if (!field->is_number())
        return false;
    const double value = field->get<double>();
    if (!std::isfinite(value) || value < 0)
        return false;
    rate = value;
    return true;
}

std::optional<QuotaInsightsCatalog::Model> decodeModel(const json &object)
{
    if (!object.is_object())
        return std::nullopt;
    const auto id = object.find("id");
    const auto name = object.find("name");
    if (id == object.end() || !id->is_string() || name == object.end() || !name->is_string())
        return std::nullopt;
    QuotaInsightsCatalog::Model model;
    model.id = QString::fromStdString(id->get<std::string>());
    model.name = QString::fromStdString(name->get<std::string>());
    if (!readRate(object, "input", model.input) || !readRate(object, "cachedInput", model.cachedInput) ||
        !readRate(object, "output", model.output) ||
        !readRate(object, "fastMultiplier", model.fastMultiplier))
        return std::nullopt;
    return model;
}

} // namespace

const std::optional<QuotaInsightsCatalog> &QuotaInsightsCatalog::bundled()
{
    static const std::optional<QuotaInsightsCatalog> catalog =
        load(MainBundle::main().resourcesURL() / resourceFileName);
    return catalog;
}

std::optional<QuotaInsightsCatalog> QuotaInsightsCatalog::load(const std::filesystem::path &file)
{
    // The bundle's resources may be links into a shared data folder, so links are followed.
    const auto result = SmallFileReader::read(file, maximumFileSize, SmallFileReader::Links::follow);
    return result.isRead() ? decode(result.content) : std::nullopt;
}

std::optional<QuotaInsightsCatalog> QuotaInsightsCatalog::decode(std::string_view text)
{
    const auto parsed = BoundedJSONParser::parse(text);
    if (!parsed.isParsed() || !parsed.value.is_object())
        return std::nullopt;
    const json &document = parsed.value;
    const auto verifiedAt = document.find("verifiedAt");
    const auto models = document.find("models");
    if (verifiedAt == document.end() || !verifiedAt->is_string() || models == document.end() ||
        !models->is_array())
        return std::nullopt;
    QuotaInsightsCatalog catalog;
    catalog.verifiedAt = QString::fromStdString(verifiedAt->get<std::string>());
    for (const json &element : *models) {
        auto model = decodeModel(element);
        if (!model)
            return std::nullopt;
        catalog.models.append(std::move(*model));
    }
    return catalog;
}

} // namespace pulsegrove
