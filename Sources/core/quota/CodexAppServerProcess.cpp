#include "quota/CodexAppServerProcess.h"

#include "quota/CodexRateLimitClientError.h"
#include "quota/ProcessGroup.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace pulsegrove {

namespace {

struct Pipe {
    FileDescriptor readEnd;
    FileDescriptor writeEnd;
};

// Keeps a descriptor clear of 0, 1 and 2, so that duplicating it onto the child's standard
// streams never meets itself (a dup2 onto itself would keep close-on-exec set).
FileDescriptor aboveStandardStreams(FileDescriptor descriptor)
{
    if (descriptor.get() > STDERR_FILENO)
        return descriptor;
    return FileDescriptor(::fcntl(descriptor.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
}

// Close-on-exec from the start, so no end of these pipes leaks into the child or any other child
// the application starts meanwhile.
Pipe makePipe()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw CodexRateLimitClientError::launchFailed(std::strerror(errno));
    Pipe pipe{aboveStandardStreams(FileDescriptor(ends[0])), aboveStandardStreams(FileDescriptor(ends[1]))};
    if (!pipe.readEnd.isOpen() || !pipe.writeEnd.isOpen())
        throw CodexRateLimitClientError::launchFailed(std::strerror(errno));
    return pipe;
}

// The child starts with default signal handling and nothing blocked, whatever this thread has,
// as the leader of a new process group.
class SpawnSettings {
public:
    SpawnSettings(const Pipe &input, const Pipe &output)
    {
        posix_spawn_file_actions_init(&m_actions);
        posix_spawn_file_actions_adddup2(&m_actions, input.readEnd.get(), STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&m_actions, output.writeEnd.get(), STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&m_actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setpgroup(&m_attributes, 0);
        posix_spawnattr_setflags(&m_attributes,
                                 POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnSettings()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attributes);
    }
    SpawnSettings(const SpawnSettings &) = delete;
    SpawnSettings &operator=(const SpawnSettings &) = delete;

    const posix_spawn_file_actions_t *actions() const { return &m_actions; }
    const posix_spawnattr_t *attributes() const { return &m_attributes; }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attributes;
};

// Blocks SIGPIPE in this thread while writing to the child, so a child that already exited turns
// into EPIPE instead of ending the application; a SIGPIPE that the failed write left pending is
// taken back before the old mask returns.
class ScopedSigpipeBlock {
public:
    ScopedSigpipeBlock()
    {
        sigemptyset(&m_pipeOnly);
        sigaddset(&m_pipeOnly, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipeOnly, &m_previous);
    }
    ~ScopedSigpipeBlock()
    {
        if (m_brokenPipe && !sigismember(&m_previous, SIGPIPE)) {
            const timespec noWait{0, 0};
            while (sigtimedwait(&m_pipeOnly, nullptr, &noWait) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    ScopedSigpipeBlock(const ScopedSigpipeBlock &) = delete;
    ScopedSigpipeBlock &operator=(const ScopedSigpipeBlock &) = delete;

    void noteBrokenPipe() { m_brokenPipe = true; }

private:
    sigset_t m_pipeOnly;
    sigset_t m_previous;
    bool m_brokenPipe = false;
};

// A descriptor that becomes readable when the process exits; none on kernels before 5.3, where
// the exit is noticed by checking at intervals instead.
FileDescriptor exitDescriptorOf(pid_t pid)
{
#ifdef SYS_pidfd_open
    return FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#else
    (void)pid;
    return FileDescriptor();
#endif
}

// Signals the process the descriptor names, whoever has reaped it meanwhile.
int signalThrough(int exitDescriptor, int signal)
{
#ifdef SYS_pidfd_send_signal
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, exitDescriptor, signal, nullptr, 0));
#else
    (void)exitDescriptor;
    (void)signal;
    errno = ENOSYS;
    return -1;
#endif
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

std::chrono::steady_clock::time_point deadlineAfter(std::chrono::duration<double> grace)
{
    return std::chrono::steady_clock::now() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(grace);
}

} // namespace

CodexAppServerProcess::CodexAppServerProcess(const std::filesystem::path &executable, StopTiming timing)
    : m_timing(timing)
{
    Pipe input = makePipe();
    Pipe output = makePipe();
    const SpawnSettings settings(input, output);
    const std::string path = executable.string();
    char *const arguments[] = {const_cast<char *>(path.c_str()), const_cast<char *>("app-server"),
                               const_cast<char *>("--stdio"), nullptr};
    const int failure =
        ::posix_spawn(&m_pid, path.c_str(), settings.actions(), settings.attributes(), arguments, environ);
    if (failure != 0)
        throw CodexRateLimitClientError::launchFailed(std::strerror(failure));
    m_input = std::move(input.writeEnd);
    m_output = std::move(output.readEnd);
    m_exit = exitDescriptorOf(m_pid);
}

CodexAppServerProcess::~CodexAppServerProcess()
{
    stop();
}

void CodexAppServerProcess::write(std::string_view bytes)
{
    ScopedSigpipeBlock guard;
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_input.get(), bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
            continue;
        }
        if (errno == EINTR)
            continue;
        const int error = errno;
        if (error == EPIPE) {
            // The child no longer reads its input: it exited or closed it. Whether that shows up
            // here or as end of file on the reply depends only on timing, so both read the same.
            guard.noteBrokenPipe();
            throw CodexRateLimitClientError::connectionClosed();
        }
        throw std::system_error(error, std::generic_category(), "writing to the Codex app server");
    }
}

bool CodexAppServerProcess::isRunning() noexcept
{
    while (!m_reaped) {
        int status = 0;
        const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
        if (result == 0)
            return true;
        if (result < 0 && errno == EINTR)
            continue;
        // Exited and reaped now, or (ECHILD) reaped by someone else.
        m_reaped = true;
    }
    return false;
}

// Waits on the exit descriptor, so an exit is seen the moment it happens; without one, checks at
// the configured interval.
bool CodexAppServerProcess::waitForChildExit(Deadline deadline) noexcept
{
    while (isRunning()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (m_exit.isOpen()) {
            pollfd request{m_exit.get(), POLLIN, 0};
            ::poll(&request, 1, millisecondsUntil(deadline));
        } else {
            std::this_thread::sleep_for(m_timing.exitCheckInterval);
        }
    }
    return true;
}

// Asked once the child is reaped. Its id stays reserved while any member lives, so the group
// cannot be mistaken for another.
bool CodexAppServerProcess::groupHasMembers() const noexcept
{
    return ProcessGroup::hasLivingMembers(m_pid);
}

bool CodexAppServerProcess::waitForGroupExit(std::chrono::duration<double> grace) noexcept
{
    const auto deadline = deadlineAfter(grace);
    if (!waitForChildExit(deadline))
        return false;
    // Descendants are not our children: no exit to wait on, so they are checked at intervals.
    while (groupHasMembers()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(m_timing.exitCheckInterval);
    }
    return true;
}

// The child may have moved to another group of its session, where the group's signal misses it,
// so it is signalled itself as well. Until it is reaped its id cannot pass to another process;
// the exit descriptor names it even should something else reap it.
void CodexAppServerProcess::signalGroupAndChild(int signal) noexcept
{
    ::kill(-m_pid, signal);
    if (!isRunning())
        return;
    if (m_exit.isOpen())
        signalThrough(m_exit.get(), signal);
    else
        ::kill(m_pid, signal);
}

// A killed child is gone within moments, unless the kernel holds it (an uninterruptible wait on a
// dead file system, say): then the stop ends all the same and a thread reaps it when it dies.
void CodexAppServerProcess::reapWithin(std::chrono::duration<double> grace) noexcept
{
    if (waitForChildExit(deadlineAfter(grace)))
        return;
    try {
        std::thread([pid = m_pid] {
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        m_reaped = true;
    } catch (const std::system_error &) {
        // No thread to be had: the child stays unreaped rather than the stop without end.
    }
}

void CodexAppServerProcess::stop() noexcept
{
    m_input.reset();
    if (m_pid <= 0 || m_stopped)
        return;
    m_stopped = true;
    if (waitForGroupExit(m_timing.inputCloseGrace))
        return;
    signalGroupAndChild(SIGTERM);
    if (waitForGroupExit(m_timing.terminateGrace))
        return;
    signalGroupAndChild(SIGKILL);
    reapWithin(m_timing.killGrace);
}

} // namespace pulsegrove
