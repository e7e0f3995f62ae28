#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace pulsegrove {

// Where notes go that the code would otherwise make again at every lookup or refresh: each
// distinct message reaches the log once, and only the first `limit` distinct ones at all, so
// hostile input cannot grow the list without end. A message reported while no log is set is
// dropped and not counted.
class OnceLog {
public:
    using Log = std::function<void(const std::string &message)>;

    explicit OnceLog(std::size_t limit = 64) : m_limit(limit) {}

    // What the new log is handed counts afresh.
    void setLog(Log log);
    void report(const std::string &message);

private:
    std::mutex m_mutex;
    Log m_log;
    std::set<std::string> m_reported;
    std::size_t m_limit;
};

} // namespace pulsegrove
