// ravo_peak_rss: runs a command and reports its wall-clock time and peak
// resident memory, for the benchmark script (no dependence on an installed
// time(1)).
//
//   ravo_peak_rss COMMAND [ARG]...
//
// Prints "<wall seconds> <peak RSS in KiB> <user+system CPU seconds>" on
// standard error and exits with the command's status.
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ravo_peak_rss COMMAND [ARG]...\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("ravo_peak_rss: fork");
        return 2;
    }
    if (child == 0) {
        ::execvp(argv[1], argv + 1);
        std::perror("ravo_peak_rss: exec");
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) < 0) {
        std::perror("ravo_peak_rss: wait");
        return 2;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::fprintf(stderr, "%.6f %ld %.6f\n", elapsed.count(), usage.ru_maxrss, cpu);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
