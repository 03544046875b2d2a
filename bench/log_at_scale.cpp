// ravo_log_at_scale: the operation log of a long run, alone: appends as many
// lines as a run over 40,000 files with four pairs writes, through the main
// window's log as a run does, and reports what an append costs early and
// late in the run and what the log holds in memory. Not part of the tests.
//
//   ravo_log_at_scale [LINES]      (default 160001)
//
// Prints the microseconds per line of the first and the last 10,000 lines,
// the whole time, and the resident memory before and after, in KiB.
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "app/main_window.h"

namespace {

constexpr int kWindow = 10000;

long PeakResidentKib()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Resident now, from /proc, in KiB.
long ResidentKib()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

double Microseconds(qint64 nanoseconds) { return static_cast<double>(nanoseconds) / 1e3; }
double Seconds(qint64 nanoseconds) { return static_cast<double>(nanoseconds) / 1e9; }

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 4 * 40000 + 1;
    if (lines < 2 * kWindow) {
        std::fprintf(stderr, "usage: ravo_log_at_scale [LINES], at least %d\n", 2 * kWindow);
        return 2;
    }
    ravo::TForm1 form;
    form.show();
    // The window settles (its first layout and sizes) before the clock starts.
    QElapsedTimer settling;
    settling.start();
    while (settling.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const long before = ResidentKib();

    ravo::OperationLog& log = form.Log();
    const std::string prefix = "Modifikuji soubor /dev/shm/ravo-windowed-bench-Xy12Ab/copy/file";
    QElapsedTimer clock;
    clock.start();
    form.RunStarting();
    qint64 firstEnd = 0;
    qint64 lastStart = 0;
    for (int n = 0; n < lines; ++n) {
        if (n == lines - kWindow)
            lastStart = clock.nsecsElapsed();
        log.AppendLine(prefix + std::to_string(100000 + n % 40000).substr(1) + ".txt");
        if (n == kWindow - 1)
            firstEnd = clock.nsecsElapsed();
    }
    const qint64 appended = clock.nsecsElapsed();
    form.RunEnded();
    const qint64 ended = clock.nsecsElapsed();
    QApplication::processEvents();
    const qint64 shown = clock.nsecsElapsed();

    const auto* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo3"));
    std::printf("lines %d (log blocks %d)\n", lines, memo->document()->blockCount());
    std::printf("first %d lines  %.2f us/line\n", kWindow, Microseconds(firstEnd) / kWindow);
    std::printf("last %d lines   %.2f us/line\n", kWindow, Microseconds(appended - lastStart) / kWindow);
    std::printf("all lines       %.3f s, the rest put in at the end %.3f s, shown after %.3f s\n",
                Seconds(appended), Seconds(ended - appended), Seconds(shown));
    std::printf("resident        %ld KiB before, %ld KiB after (%ld KiB for the log), peak %ld KiB\n", before,
                ResidentKib(), ResidentKib() - before, PeakResidentKib());
    return 0;
}
