#pragma once

#include <QList>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace pulsegrove {

// The model-consumption reference shipped with the application: credits per one million tokens
// for each model, as verified on a given day. It is read from the resource "quota-insights.json";
// the application ships that file only with figures that have been verified, so usually there is
// none and the surfaces explain that instead of showing numbers.
struct QuotaInsightsCatalog {
    struct Model {
        QString id;
        QString name;
        // Credits per one million tokens; absent when none has been published for the model.
        std::optional<double> input;
        std::optional<double> cachedInput;
        std::optional<double> output;
        // How many times the standard consumption the fast mode costs, when known.
        std::optional<double> fastMultiplier;

        friend bool operator==(const Model &, const Model &) = default;
    };

    static constexpr const char *resourceFileName = "quota-insights.json";
    // A larger file is not a catalog of a few models: it is refused unread.
    static constexpr std::size_t maximumFileSize = 256 * 1024;

    QString verifiedAt;
    QList<Model> models;

    // The catalog of the application's resources, decoded once on first use; nothing when the
    // file is missing, too large or malformed.
    static const std::optional<QuotaInsightsCatalog> &bundled();
    // The catalog in `file`, with the same rules.
    static std::optional<QuotaInsightsCatalog> load(const std::filesystem::path &file);
    // Nothing unless the text is an object with a text "verifiedAt" and a list "models" whose
    // every element has texts "id" and "name" and, for each rate, nothing, null or a finite
    // number of at least zero.
    static std::optional<QuotaInsightsCatalog> decode(std::string_view json);

    friend bool operator==(const QuotaInsightsCatalog &, const QuotaInsightsCatalog &) = default;
};

} // namespace pulsegrove
