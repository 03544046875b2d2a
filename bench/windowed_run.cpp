// ravo_windowed_run: one whole run through the program's windows, offscreen,
// for the benchmark that sets it against the headless driver.
//
//   ravo_windowed_run [--every-pair] FILE...
//
// Builds the program as it starts, lists the files in the file list, puts
// "foo" and "foo1" into pair 1 (with --every-pair also foo1 foo2, foo2 foo3
// and so on, the last pair back to foo, so that every pass rewrites every
// file and logs it), presses the run button and then continue without a
// backup. Prints the seconds from pressing continue to the end of the run on
// standard output, wall-clock and CPU (user + system). Exits with 1 when the
// run did not reach its end: a box came up, or the log is not that of a whole
// run.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>

#include "app/program.h"
#include "dialogs/application.h"
#include "run/string_pair.h"

namespace {

constexpr int kWindowWaitMs = 5000;

// Processes events until the condition holds; false when the time is up.
bool ProcessEventsUntil(const std::function<bool()>& condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > kWindowWaitMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <typename T>
T& Control(const QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) {
        std::fprintf(stderr, "ravo_windowed_run: no control %s\n", name);
        std::exit(2);
    }
    return *control;
}

// A box would wait for an answer for ever: note it and close it.
class BoxCloser {
public:
    BoxCloser()
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] { closeModal(); });
        poll_.start(50);
    }
    bool seen = false;

private:
    void closeModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        seen = true;
        const auto* box = qobject_cast<QMessageBox*>(modal);
        std::fprintf(stderr, "ravo_windowed_run: box \"%s\"\n", box ? qPrintable(box->text()) : "?");
        modal->close();
    }
    QTimer poll_;
};

double CpuSeconds()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int LogLineCount(const QPlainTextEdit& memo)
{
    const QTextDocument& document = *memo.document();
    const int blocks = document.blockCount();
    return document.lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ravo::RavoApplication application(argc, argv);
    const bool everyPair = argc > 1 && std::strcmp(argv[1], "--every-pair") == 0;
    const int firstFile = everyPair ? 2 : 1;
    if (argc <= firstFile) {
        std::fprintf(stderr, "usage: ravo_windowed_run [--every-pair] FILE...\n");
        return 2;
    }
    ravo::SetUpApplication(application);
    ravo::Program program;
    ravo::TForm1& form1 = program.MainWindow();
    ravo::TForm2& form2 = program.BackupDialog();
    form1.show();
    if (!ProcessEventsUntil([&] { return form1.isActiveWindow(); })) {
        std::fprintf(stderr, "ravo_windowed_run: the main window never became active\n");
        return 2;
    }

    // The list as the file dialog would have filled it.
    QStringList paths;
    for (int i = firstFile; i < argc; ++i)
        paths << QFile::decodeName(argv[i]);
    Control<QListWidget>(form1, "ListBox1").addItems(paths);
    const int pairs = everyPair ? ravo::kPairCount : 1;
    const auto word = [](int n) {
        return QStringLiteral("foo") + (n % ravo::kPairCount == 0 ? QString() : QString::number(n));
    };
    const auto field = [&form1](int number) {
        return &Control<QLineEdit>(form1, ("Edit" + std::to_string(number)).c_str());
    };
    for (int n = 1; n <= pairs; ++n) {
        field(ravo::FieldsOfPair(n).original)->setText(word(n - 1));
        field(ravo::FieldsOfPair(n).replacement)->setText(word(n));
    }

    BoxCloser boxes;
    Control<QPushButton>(form1, "Button3").click();
    if (!ProcessEventsUntil([&] { return form2.isActiveWindow(); })) {
        std::fprintf(stderr, "ravo_windowed_run: the backup-and-run dialog never became active\n");
        return 2;
    }

    QElapsedTimer clock;
    const double cpuBefore = CpuSeconds();
    clock.start();
    Control<QPushButton>(form2, "Button1").click();
    const qint64 nanoseconds = clock.nsecsElapsed();
    const double cpu = CpuSeconds() - cpuBefore;

    const int lines = LogLineCount(Control<QPlainTextEdit>(form1, "Memo3"));
    const bool barHidden = Control<QProgressBar>(form1, "ProgressBar1").isHidden();
    if (boxes.seen || lines != pairs * static_cast<int>(paths.size()) + 1 || !barHidden) {
        std::fprintf(stderr, "ravo_windowed_run: the run did not end as a whole run does (%d log lines)\n", lines);
        return 1;
    }
    std::printf("%.6f %.6f\n", static_cast<double>(nanoseconds) / 1e9, cpu);
    return 0;
}
