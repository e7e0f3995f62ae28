#pragma once

#include "foundation/Environment.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pulsegrove {

// A named suite of typed preferences stored as one JSON object in
// $XDG_CONFIG_HOME/Pulsegrove/<suite>.json. Values keep their JSON type (bool, number, string,
// list of strings); reading a key under another type gives nothing. Every write reaches the file
// at once and atomically. An unreadable or malformed file reads as an empty suite and is replaced
// whole by the next write.
class UserDefaults {
public:
    static constexpr const char *standardSuiteName = "io.velorn.Pulsegrove";

    // The standard suite of this process, its folder taken from the process environment.
    static std::shared_ptr<UserDefaults> standard();

    UserDefaults(std::string suiteName, const Environment &environment);

    const std::string &suiteName() const { return m_suiteName; }
    const std::filesystem::path &fileURL() const { return m_fileURL; }

    std::optional<bool> boolValue(const std::string &key) const;
    std::optional<double> numberValue(const std::string &key) const;
    std::optional<std::string> stringValue(const std::string &key) const;
    std::optional<std::vector<std::string>> stringListValue(const std::string &key) const;
    bool containsKey(const std::string &key) const;

    void setBool(const std::string &key, bool value);
    void setNumber(const std::string &key, double value);
    void setString(const std::string &key, const std::string &value);
    void setStringList(const std::string &key, const std::vector<std::string> &value);
    void removeValue(const std::string &key);

    // Empties the named suite (this one or another in the same folder) and removes its file.
    void removePersistentDomain(const std::string &suiteName);

private:
    std::string m_suiteName;
    std::filesystem::path m_fileURL;
};

} // namespace pulsegrove
