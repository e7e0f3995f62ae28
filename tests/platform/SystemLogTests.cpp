#include "SyslogSystemLog.h"
#include "TemporaryDirectory.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace pulsegrove {
namespace {

using testing::TemporaryDirectory;

TEST(SystemLog, WithholdsPrivateArgumentsShowsPublicOnesAndNeverReadsPastTheFormat)
{
    // The format, its arguments and the rendered message.
    const std::tuple<const char *, QStringList, const char *> cases[] = {
        {"Quota refresh failed: %{private}s",
         {QStringLiteral("account a@b.c")},
         "Quota refresh failed: <private>"},
        // Texts are private unless marked public; numbers are public unless marked private.
        {"%s and %@", {QStringLiteral("x"), QStringLiteral("y")}, "<private> and <private>"},
        {"%{public}s=%d, %{private}d, 100%%",
         {QStringLiteral("a"), QStringLiteral("7"), QStringLiteral("8")},
         "a=7, <private>, 100%"},
        {"tail %", {}, "tail %"},
        {"open %{public", {}, "open %{public"},
        {"missing %{public}s", {}, "missing "},
    };
    for (const auto &[format, arguments, rendered] : cases)
        EXPECT_EQ(SystemLog::render(QString::fromLatin1(format), arguments), QString::fromLatin1(rendered))
            << format;
    EXPECT_EQ(SyslogSystemLog::line(QStringLiteral("quota"),
                                    QStringLiteral("Quota refresh failed: %{private}s"),
                                    {QStringLiteral("secret")}),
              QStringLiteral("[quota] Quota refresh failed: <private>"));
}

// A Unix socket bound at `path`, of `type`; closing it leaves its file behind with nobody serving it.
int boundSocket(const std::filesystem::path &path, int type)
{
    const int socket = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    EXPECT_EQ(::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0) << path;
    if (type == SOCK_STREAM) {
        EXPECT_EQ(::listen(socket, 1), 0);
    }
    return socket;
}

// What `write` put on standard error.
template <typename Write> std::string capturedStandardError(const TemporaryDirectory &folder, Write write)
{
    const auto file = folder.path() / "stderr";
    const int capture = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture, STDERR_FILENO);
    write();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(capture);
    return TemporaryDirectory::readFile(file);
}

// The system log is used only where a log daemon listens; a missing socket, a file that is no
// socket and a socket left behind by a daemon that stopped all send the lines to standard error,
// which a start from a terminal or the run script's log file keeps, instead of losing them.
TEST(SystemLog, WritesToStandardErrorWhereNoLogDaemonListens)
{
    TemporaryDirectory folder;
    const int datagrams = boundSocket(folder.path() / "datagrams", SOCK_DGRAM);
    const int streams = boundSocket(folder.path() / "streams", SOCK_STREAM);
    ::close(boundSocket(folder.path() / "stopped", SOCK_DGRAM));
    folder.writeFile("file", "not a socket");
    for (const auto &[name, reaches] : {std::pair{"datagrams", true},
                                        {"streams", true},
                                        {"stopped", false},
                                        {"file", false},
                                        {"missing", false}})
        EXPECT_EQ(SyslogSystemLog((folder.path() / name).string()).reachesSystemLog(), reaches) << name;
    ::close(datagrams);
    ::close(streams);

    SyslogSystemLog log((folder.path() / "missing").string());
    const std::string written = capturedStandardError(folder, [&] {
        log.log(LogLevel::error, QStringLiteral("quota"), QStringLiteral("Quota refresh failed: %{private}s"),
                {QStringLiteral("secret")});
        log.log(LogLevel::info, QStringLiteral("writer"), QStringLiteral("100%% written"), {});
    });
    const std::string prefix = std::string("io.velorn.Pulsegrove[") + std::to_string(::getpid()) + "]: ";
    EXPECT_EQ(written,
              prefix + "[quota] Quota refresh failed: <private>\n" + prefix + "[writer] 100% written\n");
}

} // namespace
} // namespace pulsegrove
