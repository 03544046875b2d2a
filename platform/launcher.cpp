// Starting the external editor: the command line is split into a program and
// one argument and handed to execv directly, so nothing in a listed path is
// ever read by a shell. The editor runs in a session of its own; the
// intermediate child of the double fork is reaped at once, so no zombie stays.
#include "platform/launcher.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/path.h"

namespace ravo {
namespace {

constexpr const char* kPathWhenUnset = "/usr/local/bin:/usr/bin:/bin";

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& name, const std::string& searchPath)
{
    std::size_t start = 0;
    while (start <= searchPath.size()) {
        std::size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = platform::JoinPath(folder, name);
            if (IsExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

// Everything below runs in a forked child of a possibly multi-threaded
// process: only async-signal-safe calls until execv.
[[noreturn]] void ExecInGrandchild(const char* executable, char* const* argv, int errorPipe)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        sigaction(signal, &defaults, nullptr);

    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0 && devNull != STDIN_FILENO) {
        dup2(devNull, STDIN_FILENO);
        close(devNull);
    }
    if (errorPipe > 3)
        close_range(3, static_cast<unsigned>(errorPipe) - 1, 0);
    close_range(static_cast<unsigned>(errorPipe) + 1, ~0u, 0);

    execv(executable, argv);
    const int error = errno;
    (void)!write(errorPipe, &error, sizeof error);
    _exit(127);
}

[[noreturn]] void RunIntermediateChild(const char* executable, char* const* argv, int errorPipe)
{
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0)
        ExecInGrandchild(executable, argv, errorPipe);
    if (grandchild < 0) {
        const int error = errno;
        (void)!write(errorPipe, &error, sizeof error);
        _exit(1);
    }
    _exit(0);
}

// Waits for the intermediate child and learns from the pipe whether execv
// succeeded: the pipe closes on a successful exec, or carries errno.
bool CollectStartResult(pid_t child, int readEnd)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(readEnd, &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(readEnd);
    return got == 0;
}

} // namespace

SplitCommand SplitCommandLine(const std::string& commandLine)
{
    const std::size_t space = commandLine.find(' ');
    if (space == std::string::npos)
        return {commandLine, {}};
    return {commandLine.substr(0, space), commandLine.substr(space + 1)};
}

const std::vector<std::string>& FallbackEditors()
{
    static const std::vector<std::string> editors = {
        "gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma",
        "xed", "featherpad", "leafpad", "geany",
    };
    return editors;
}

std::string ResolveProgram(const std::string& program, const std::string& searchPath)
{
    if (program.empty())
        return {};
    if (program.find(platform::kPathSeparator) != std::string::npos)
        return IsExecutableFile(program) ? program : std::string();
    std::string found = FindOnPath(program, searchPath);
    for (auto editor = FallbackEditors().begin(); found.empty() && editor != FallbackEditors().end(); ++editor)
        found = FindOnPath(*editor, searchPath);
    return found;
}

bool StartDetached(const std::string& commandLine)
{
    SplitCommand split = SplitCommandLine(commandLine);
    const char* pathVariable = std::getenv("PATH");
    std::string executable = ResolveProgram(split.program, pathVariable ? pathVariable : kPathWhenUnset);
    if (executable.empty())
        return false;

    std::vector<char*> argv{executable.data()};
    if (!split.argument.empty())
        argv.push_back(split.argument.data());
    argv.push_back(nullptr);

    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0)
        return false;
    const pid_t child = fork();
    if (child == 0) {
        close(errorPipe[0]);
        RunIntermediateChild(executable.c_str(), argv.data(), errorPipe[1]);
    }
    close(errorPipe[1]);
    if (child < 0) {
        close(errorPipe[0]);
        return false;
    }
    return CollectStartResult(child, errorPipe[0]);
}

} // namespace ravo
