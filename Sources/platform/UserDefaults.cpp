#include "UserDefaults.h"

#include "BackgroundFileWriter.h"
#include "Logger.h"
#include "PlatformFactory.h"
#include "UserDefaultsStorage.h"
#include "foundation/UserDirectories.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>

namespace pulsegrove {

namespace {

using Json = nlohmann::json;

std::filesystem::path suiteDirectory(const Environment &environment)
{
    const auto config = UserDirectories::configDirectory(environment);
    return config ? *config / "Pulsegrove" : std::filesystem::path();
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standard()
{
    // Only the two variables that place the folder are read, so a call stays cheap.
    Environment environment;
    for (const char *name : {"HOME", "XDG_CONFIG_HOME"}) {
        if (const char *value = std::getenv(name))
            environment.set(name, value);
    }
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<UserDefaults>> instances;
    const std::lock_guard lock(mutex);
    std::shared_ptr<UserDefaults> &instance = instances[suiteDirectory(environment)];
    if (!instance)
        instance = std::make_shared<UserDefaults>(standardSuiteName, environment,
                                                  PlatformFactory::sharedSystemLog());
    return instance;
}

UserDefaults::UserDefaults(std::string suiteName, const Environment &environment,
                           std::shared_ptr<SystemLog> log)
    : m_suiteName(std::move(suiteName)), m_directory(suiteDirectory(environment)),
      m_logger(std::make_unique<Logger>(std::move(log), QStringLiteral("defaults")))
{
    if (!m_directory.empty())
        m_fileURL = m_directory / fileNameForSuite(m_suiteName);
    m_storage = UserDefaultsStorage::forPath(m_fileURL);
}

UserDefaults::~UserDefaults() = default;

std::string UserDefaults::fileNameForSuite(std::string_view suiteName)
{
    std::string name;
    for (std::size_t index = 0; index < suiteName.size(); ++index) {
        const auto byte = static_cast<unsigned char>(suiteName[index]);
        if (byte == '%' || byte == '/' || byte < 0x20 || byte == 0x7F || (index == 0 && byte == '.')) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
            name += escaped;
        } else {
            name += static_cast<char>(byte);
        }
    }
    return name + ".json";
}

namespace {

template <typename Value, typename Accept>
std::optional<Value> typedValue(const Json &object, std::string_view key, Accept accept)
{
    const auto found = object.find(key);
    if (found == object.end() || !accept(*found))
        return std::nullopt;
    return found->template get<Value>();
}

bool isStringList(const Json &value)
{
    if (!value.is_array())
        return false;
    for (const Json &element : value) {
        if (!element.is_string())
            return false;
    }
    return true;
}

} // namespace

std::optional<bool> UserDefaults::boolValue(std::string_view key) const
{
    return m_storage->read<std::optional<bool>>(
        [&](const Json &object) { return typedValue<bool>(object, key, std::mem_fn(&Json::is_boolean)); });
}

std::optional<double> UserDefaults::numberValue(std::string_view key) const
{
    return m_storage->read<std::optional<double>>(
        [&](const Json &object) { return typedValue<double>(object, key, std::mem_fn(&Json::is_number)); });
}

std::optional<std::string> UserDefaults::stringValue(std::string_view key) const
{
    return m_storage->read<std::optional<std::string>>([&](const Json &object) {
        return typedValue<std::string>(object, key, std::mem_fn(&Json::is_string));
    });
}

std::optional<std::vector<std::string>> UserDefaults::stringListValue(std::string_view key) const
{
    return m_storage->read<std::optional<std::vector<std::string>>>(
        [&](const Json &object) { return typedValue<std::vector<std::string>>(object, key, isStringList); });
}

bool UserDefaults::containsKey(std::string_view key) const
{
    return m_storage->read<bool>([&](const Json &object) { return object.contains(key); });
}

bool UserDefaults::setBool(std::string_view key, bool value)
{
    return set(key, Json(value));
}

bool UserDefaults::setNumber(std::string_view key, double value)
{
    return std::isfinite(value) && set(key, Json(value));
}

bool UserDefaults::setString(std::string_view key, std::string_view value)
{
    return set(key, Json(std::string(value)));
}

bool UserDefaults::setStringList(std::string_view key, const std::vector<std::string> &value)
{
    return set(key, Json(value));
}

void UserDefaults::removePersistentDomain(std::string_view suiteName)
{
    if (suiteName == m_suiteName)
        m_storage->remove(*m_logger);
    else if (!m_directory.empty())
        UserDefaultsStorage::forPath(m_directory / fileNameForSuite(suiteName))->remove(*m_logger);
}

void UserDefaults::reload()
{
    m_storage->reload(*m_logger);
}

bool UserDefaults::flush()
{
    return m_storage->flush();
}

void UserDefaults::flushAll()
{
    BackgroundFileWriter::shared().flush();
}

int UserDefaults::observeChanges(std::function<void(bool writeFailed)> observer)
{
    return m_storage->addObserver(std::move(observer));
}

void UserDefaults::stopObserving(int token)
{
    m_storage->removeObserver(token);
}

bool UserDefaults::set(std::string_view key, std::optional<nlohmann::json> value)
{
    return m_storage->change(std::string(key), std::move(value), *m_logger);
}

} // namespace pulsegrove
