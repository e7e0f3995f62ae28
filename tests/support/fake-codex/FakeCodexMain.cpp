// A scripted stand-in for `codex app-server --stdio`.
//
// It is started through a symbolic link; everything it needs sits beside that link, named after
// it (argv[0]):
//   <argv0>.script    commands, one per line (below)
//   <argv0>.pid       written at start: this process's id
//   <argv0>.args      written at start: the arguments after argv[0], one per line
//   <argv0>.received  every line read from standard input, each followed by a line feed
//   <argv0>.finished  written when it leaves on its own at the end of its input (below)
//   <argv0>.helper    written by spawn-helper: the helper's process id
//
// Commands:
//   expect           read one line from standard input (exit 0 at end of input)
//   send TEXT        write TEXT and a line feed in one write
//   raw TEXT         write TEXT in one write, with \n, \r and \\ decoded
//   drain            read standard input to its end, then go on with the script
//   sleep MS         sleep
//   ignore-term      ignore SIGTERM from now on
//   leave-group      move into the parent's process group, out of the one it was started in
//   close-stdin      close standard input (later writes to it fail)
//   hang             sleep for ever, reading nothing
//   spawn-helper [stubborn]
//                    start a helper process that keeps standard input and output open and
//                    sleeps for ever (ignoring SIGTERM when stubborn), as a descendant would
//   exit CODE        exit at once
// At the end of the script it reads standard input to its end, writes <argv0>.finished and exits
// 0; an "expect" that meets the end of input does the same at once.

#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

std::string g_base;
std::string g_pending;

void writeSideFile(const std::string &suffix, const std::string &content,
                   std::ios::openmode mode = std::ios::trunc)
{
    std::ofstream(g_base + suffix, std::ios::binary | mode) << content;
}

[[noreturn]] void finish()
{
    writeSideFile(".finished", "");
    std::exit(0);
}

void writeAll(const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t count = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (count < 0)
            std::exit(4);
        done += static_cast<std::size_t>(count);
    }
}

// Reads one line of standard input into the received file; false at end of input.
bool expectLine()
{
    std::size_t feed;
    while ((feed = g_pending.find('\n')) == std::string::npos) {
        char chunk[4096];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0)
            return false;
        g_pending.append(chunk, static_cast<std::size_t>(count));
    }
    writeSideFile(".received", g_pending.substr(0, feed + 1), std::ios::app);
    g_pending.erase(0, feed + 1);
    return true;
}

std::string decodeEscapes(const std::string &text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escaped = text[i] == '\\' && i + 1 < text.size();
        const char next = escaped ? text[++i] : text[i];
        result += !escaped ? next : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return result;
}

void run(const std::string &command, const std::string &argument)
{
    if (command == "expect") {
        if (!expectLine())
            finish();
    } else if (command == "send" || command == "raw") {
        writeAll(command == "send" ? argument + "\n" : decodeEscapes(argument));
    } else if (command == "drain") {
        while (expectLine()) {
        }
    } else if (command == "sleep") {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::stol(argument)));
    } else if (command == "ignore-term") {
        ::signal(SIGTERM, SIG_IGN);
    } else if (command == "leave-group") {
        // A group leader may move to another group of its session, though not start a session.
        if (::setpgid(0, ::getpgid(::getppid())) != 0)
            std::exit(6);
    } else if (command == "close-stdin") {
        ::close(STDIN_FILENO);
    } else if (command == "hang") {
        for (;;)
            ::pause();
    } else if (command == "spawn-helper") {
        const pid_t helper = ::fork();
        if (helper == 0) {
            if (argument == "stubborn")
                ::signal(SIGTERM, SIG_IGN);
            for (;;)
                ::pause();
        }
        writeSideFile(".helper", std::to_string(helper) + "\n");
    } else if (command == "exit") {
        std::exit(std::stoi(argument));
    } else {
        std::exit(5);
    }
}

} // namespace

int main(int argc, char **argv)
{
    g_base = argv[0];
    writeSideFile(".pid", std::to_string(::getpid()) + "\n");
    std::string arguments;
    for (int i = 1; i < argc; ++i)
        arguments += std::string(argv[i]) + "\n";
    writeSideFile(".args", arguments);

    std::ifstream script(g_base + ".script");
    for (std::string line; std::getline(script, line);) {
        const auto space = line.find(' ');
        run(line.substr(0, space), space == std::string::npos ? std::string() : line.substr(space + 1));
    }
    while (expectLine()) {
    }
    finish();
}
