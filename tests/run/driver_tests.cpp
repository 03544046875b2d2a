// The headless driver as scripts use it: its log on standard output, the
// error box's text on standard error, and its exit status.
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "platform/path.h"
#include "run/run_log.h"
#include "tests/support/files.h"

namespace ravo {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

struct DriverResult {
    int status;
    std::string out;
    std::string err;
};

#ifdef _WIN32
// One argument of a command line as the C runtime splits it again: in quotes
// when it is empty or holds a blank or a quote; a quote inside is escaped,
// and backslashes are doubled where a quote follows them, the closing one
// included. Other backslashes, as in every path, stay single.
std::string CommandLineArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

using OwnedHandle = std::unique_ptr<void, decltype(&::CloseHandle)>;

// The driver as a process of its own: its standard output through a pipe,
// its standard error into a file, no standard input.
DriverResult RunDriver(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    std::string command = CommandLineArgument(RAVO_DRIVER_PATH);
    for (const std::string& argument : arguments)
        command += ' ' + CommandLineArgument(argument);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inherited, 0))
        throw std::runtime_error("cannot make a pipe");
    const OwnedHandle reader(outRead, ::CloseHandle);
    OwnedHandle writer(outWrite, ::CloseHandle);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    const std::string errPath = folder / "stderr.txt";
    const HANDLE err = ::CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (err == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot make " + errPath);
    OwnedHandle errFile(err, ::CloseHandle);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(RAVO_DRIVER_PATH, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process))
        throw std::runtime_error("cannot start the driver");
    const OwnedHandle driver(process.hProcess, ::CloseHandle);
    ::CloseHandle(process.hThread);
    // The driver holds the only writing end now: its exit ends the output.
    writer.reset();
    errFile.reset();
    DriverResult result{};
    char block[4096];
    for (DWORD n = 0; ::ReadFile(outRead, block, sizeof block, &n, nullptr) && n > 0;)
        result.out.append(block, n);
    DWORD status = 0;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    result.status = ::GetExitCodeProcess(process.hProcess, &status) ? static_cast<int>(status) : -1;
    result.err = ReadBytes(errPath);
    return result;
}
#else
// Arguments are quoted for the shell; none of the tests' arguments holds a
// single quote.
DriverResult RunDriver(const TempFolder& folder, const std::vector<std::string>& arguments)
{
    std::string command = RAVO_DRIVER_PATH;
    for (const std::string& argument : arguments)
        command += " '" + argument + "'";
    const std::string errPath = folder / "stderr.txt";
    command += " 2>'" + errPath + "'";
    DriverResult result{};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot start the driver");
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;)
        result.out.append(block, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = ReadBytes(errPath);
    return result;
}
#endif

// What the driver writes for these log lines: each followed by a newline.
std::string Output(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += line + '\n';
    return out;
}

TEST(DriverTest, RunWithoutPairsLogsOnlyTheNoBackupLine)
{
    TempFolder folder;
    WriteBytes(folder / "a.txt", "foo\n");
    const DriverResult r = RunDriver(folder, {folder / "a.txt"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Output({kNoBackupLine}));
    EXPECT_EQ(ReadBytes(folder / "a.txt"), "foo\n");
}

TEST(DriverTest, PairsRunInOrderAndEveryFileIsLogged)
{
    TempFolder folder;
    const std::string a = folder / "a.txt";
    const std::string b = folder / "-b.txt";
    WriteBytes(a, "foo x\n");
    WriteBytes(b, "x\n");
    const DriverResult r = RunDriver(folder, {"--pair", "foo", "bar", "--pair", "x", "y", "--", a, b});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Output({kNoBackupLine, ModifiedLine(a), ModifiedLine(b), ModifiedLine(a), ModifiedLine(b)}));
    EXPECT_EQ(ReadBytes(a), "bar y\r\n");
    EXPECT_EQ(ReadBytes(b), "y\r\n");
}

// Pairs and names reach the run byte for byte: blanks, quotes, backslashes
// before a quote or at the end, and a wildcard that no runtime may expand
// into the names of files.
TEST(DriverTest, ArgumentsArriveAsTheyWereGiven)
{
    TempFolder folder;
    const std::string a = folder / "with space.txt";
    WriteBytes(a, "a b \"q\" s \\ *\n");
    const DriverResult r = RunDriver(folder, {"--pair", "a b", "A\tB", "--pair", "\"q\"", "\\\"Q\\\"", "--pair",
                                              "s \\", "S \\\\", "--pair", "*", "?", a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Output({kNoBackupLine, ModifiedLine(a), ModifiedLine(a), ModifiedLine(a), ModifiedLine(a)}));
    EXPECT_EQ(ReadBytes(a), "A\tB \\\"Q\\\" S \\\\ ?\r\n");
}

TEST(DriverTest, ErrorGoesToStandardErrorAsTheErrorBoxShowsIt)
{
    TempFolder folder;
    WriteBytes(folder / "a.txt", "foo\n");
    const DriverResult r = RunDriver(folder, {"--pair", "foo", "bar", folder / "a.txt", folder / "gone.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Output({kNoBackupLine, ModifiedLine(folder / "a.txt")}));
    EXPECT_EQ(r.err, "File not found.\n");
}

TEST(DriverTest, BackupCopiesBeforeThePasses)
{
    TempFolder folder;
    const std::string zaloha = folder / "zaloha";
    std::filesystem::create_directory(zaloha);
    const std::string a = folder / "a.txt";
    const std::string copy = platform::JoinPath(zaloha, "a.txt");
    WriteBytes(a, "foo\n");
    const DriverResult r = RunDriver(folder, {"--backup", zaloha, "--pair", "foo", "bar", a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Output({BackupFolderLine(zaloha), BackedUpLine(a, copy), ModifiedLine(a)}));
    EXPECT_EQ(ReadBytes(copy), "foo\n");
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
}

TEST(DriverTest, WrongArgumentsRunNothing)
{
    TempFolder folder;
    WriteBytes(folder / "a.txt", "a\n");
    const std::string a = folder / "a.txt";
    const std::vector<std::vector<std::string>> wrong = {
        {"--pair", "a"},
        {"--pair", "a", "b", "--pair", "a", "b", "--pair", "a", "b", "--pair", "a", "b", "--pair", "a", "b", a},
        {"--pair", "a", "b", "--backup"},
        {"--bogus", a},
        // An empty name would be the standard streams, never a file.
        {"--pair", "a", "b", a, ""},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        const DriverResult r = RunDriver(folder, arguments);
        EXPECT_EQ(r.status, 2) << arguments.back();
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadBytes(folder / "a.txt"), "a\n");
    }
}

} // namespace
} // namespace ravo
