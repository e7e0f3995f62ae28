#include "UserDefaults.h"

#include "AtomicFile.h"
#include "foundation/UserDirectories.h"
#include "quota/FileDescriptor.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace pulsegrove {

namespace {

using Json = nlohmann::json;

// What identifies one version of a file cheaply: a rename gives a new inode, an edit in place a
// new modification time or size.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

FileStamp stampOf(const std::filesystem::path &path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

// Anything but a readable JSON object in a regular file counts as an empty suite. The file is
// opened without blocking, so a FIFO or device put in its place cannot hang the reader.
Json readObject(const std::filesystem::path &path)
{
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return Json::object();
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return Json::object();
        if (count == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(count));
    }
    Json parsed = Json::parse(content, nullptr, false);
    return parsed.is_object() ? parsed : Json::object();
}

// The folder is created on the first write. Settings are nobody else's business, so the file is
// readable by its owner only.
bool writeSuiteFile(const std::filesystem::path &path, const std::string &content)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return false;
    try {
        AtomicFile::write(path, content, 0600);
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

std::filesystem::path suiteDirectory(const Environment &environment)
{
    const auto config = UserDirectories::configDirectory(environment);
    return config ? *config / "Pulsegrove" : std::filesystem::path();
}

} // namespace

// The in-memory copy of one suite file, shared by every UserDefaults object of that file.
class UserDefaults::Storage {
public:
    explicit Storage(std::filesystem::path path) : m_path(std::move(path)) {}

    // The shared storage of a file; an empty path gives a private, memory-only storage.
    static std::shared_ptr<Storage> forPath(const std::filesystem::path &path)
    {
        if (path.empty())
            return std::make_shared<Storage>(path);
        static std::mutex registryMutex;
        static std::map<std::filesystem::path, std::weak_ptr<Storage>> registry;
        const std::lock_guard lock(registryMutex);
        if (auto storage = registry[path].lock())
            return storage;
        // Forget suites nobody holds any more, so short-lived suites do not pile up.
        std::erase_if(registry, [](const auto &entry) { return entry.second.expired(); });
        auto storage = std::make_shared<Storage>(path);
        registry[path] = storage;
        return storage;
    }

    template <typename Result, typename Reader> Result read(Reader reader)
    {
        const std::lock_guard lock(m_mutex);
        refreshIfChanged();
        return reader(m_object);
    }

    // Applies the change to the latest contents of the file, then writes the whole suite.
    template <typename Change> bool write(Change change)
    {
        const std::lock_guard lock(m_mutex);
        refreshIfChanged();
        change(m_object);
        if (m_path.empty())
            return false;
        const std::string content = m_object.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
        if (!writeSuiteFile(m_path, content))
            return false;
        m_stamp = stampOf(m_path);
        return true;
    }

    bool remove()
    {
        const std::lock_guard lock(m_mutex);
        m_object = Json::object();
        if (m_path.empty())
            return true;
        bool removed = true;
        try {
            AtomicFile::remove(m_path);
        } catch (const std::system_error &) {
            removed = false;
        }
        m_stamp = stampOf(m_path);
        return removed;
    }

private:
    // Rereads the file only when it is not the version read or written last. A write that failed
    // leaves the old file and its stamp, so this process keeps seeing its own newer values.
    void refreshIfChanged()
    {
        if (m_path.empty())
            return;
        const FileStamp stamp = stampOf(m_path);
        if (m_stamp && *m_stamp == stamp)
            return;
        m_object = stamp.exists ? readObject(m_path) : Json::object();
        m_stamp = stamp;
    }

    std::mutex m_mutex;
    std::filesystem::path m_path;
    Json m_object = Json::object();
    std::optional<FileStamp> m_stamp;
};

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
        instance = std::make_shared<UserDefaults>(standardSuiteName, environment);
    return instance;
}

UserDefaults::UserDefaults(std::string suiteName, const Environment &environment)
    : m_suiteName(std::move(suiteName)), m_directory(suiteDirectory(environment))
{
    if (!m_directory.empty())
        m_fileURL = m_directory / fileNameForSuite(m_suiteName);
    m_storage = Storage::forPath(m_fileURL);
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
    return m_storage->write([&](Json &object) { object[std::string(key)] = value; });
}

bool UserDefaults::setNumber(std::string_view key, double value)
{
    if (!std::isfinite(value))
        return false;
    return m_storage->write([&](Json &object) { object[std::string(key)] = value; });
}

bool UserDefaults::setString(std::string_view key, std::string_view value)
{
    return m_storage->write([&](Json &object) { object[std::string(key)] = std::string(value); });
}

bool UserDefaults::setStringList(std::string_view key, const std::vector<std::string> &value)
{
    return m_storage->write([&](Json &object) { object[std::string(key)] = value; });
}

bool UserDefaults::removeValue(std::string_view key)
{
    return m_storage->write([&](Json &object) { object.erase(std::string(key)); });
}

bool UserDefaults::removePersistentDomain(std::string_view suiteName)
{
    if (suiteName == m_suiteName)
        return m_storage->remove();
    if (m_directory.empty())
        return true;
    return Storage::forPath(m_directory / fileNameForSuite(suiteName))->remove();
}

} // namespace pulsegrove
