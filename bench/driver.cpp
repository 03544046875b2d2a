// ravo_driver: a run of the program without windows, for benchmarks and
// scripted checks.
//
//   ravo_driver [--backup DIR] [--pair ORIGINAL REPLACEMENT]... [--] FILE...
//
// Up to four --pair options, one per string pair, fill the pairs in order;
// missing pairs stay empty. Arguments are taken as bytes. Every log line goes to standard output
// followed by a newline; an error that would reach the error box goes, as that
// box would show it, to standard error, and the exit status is 1.
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "engine/exception.h"
#include "run/run.h"

namespace {

using ravo::kPairCount;
constexpr int kUsageStatus = 2;

class StandardOutputLog : public ravo::OperationLog {
public:
    void AppendLine(const std::string& line) override
    {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
};

struct Options {
    ravo::StringPair pairs[kPairCount];
    int pairCount = 0;
    std::optional<std::string> backupFolder;
    std::vector<std::string> files;
};

int Usage(const char* problem)
{
    std::fprintf(stderr, "ravo_driver: %s\n"
                         "usage: ravo_driver [--backup DIR] [--pair ORIGINAL REPLACEMENT]... [--] FILE...\n",
                 problem);
    return kUsageStatus;
}

// Gives 0 when the arguments were understood, the exit status otherwise.
int ParseArguments(int argc, char** argv, Options& options)
{
    int i = 1;
    for (; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) {
            ++i;
            break;
        }
        if (std::strcmp(arg, "--pair") == 0) {
            if (i + 2 >= argc)
                return Usage("--pair needs an original and a replacement");
            if (options.pairCount == kPairCount)
                return Usage(("at most " + std::to_string(kPairCount) + " pairs").c_str());
            options.pairs[options.pairCount++] = {argv[i + 1], argv[i + 2]};
            i += 2;
        } else if (std::strcmp(arg, "--backup") == 0) {
            if (i + 1 >= argc)
                return Usage("--backup needs a folder");
            options.backupFolder = argv[++i];
        } else if (std::strncmp(arg, "--", 2) == 0) {
            return Usage("unknown option");
        } else {
            break;
        }
    }
    options.files.assign(argv + i, argv + argc);
    // An empty name would stand for the standard streams, never a listed file.
    for (const std::string& file : options.files)
        if (file.empty())
            return Usage("a file name may not be empty");
    return 0;
}

void Run(const Options& options)
{
    StandardOutputLog log;
    ravo::NoProgress progress;
    ravo::RunReplacements(
        options.files, options.backupFolder, [&options](int n) { return options.pairs[n - 1]; }, log, progress);
}

int ReportError(const std::string& message)
{
    std::fflush(stdout);
    const std::string text = ravo::ErrorBoxText(message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The log's bytes as they are: no CR added before each newline, so that
    // a run here and one on Linux give the same output.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    Options options;
    if (const int status = ParseArguments(argc, argv, options); status != 0)
        return status;
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    try {
        Run(options);
    } catch (const ravo::EAbort&) {
        // The silent kind is dropped, as the error box drops it.
    } catch (const ravo::Exception& error) {
        return ReportError(error.Message());
    } catch (const std::exception& error) {
        return ReportError(error.what());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
