// The headless driver as scripts use it: its log on standard output, the
// error box's text on standard error, and its exit status.
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/wait.h>

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

// Arguments are quoted for the shell; none of the tests' paths hold a quote.
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
    std::filesystem::create_directory(folder / "zaloha");
    const std::string a = folder / "a.txt";
    WriteBytes(a, "foo\n");
    const DriverResult r = RunDriver(folder, {"--backup", folder / "zaloha", "--pair", "foo", "bar", a});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Output({BackupFolderLine(folder / "zaloha"), BackedUpLine(a, folder / "zaloha/a.txt"),
                             ModifiedLine(a)}));
    EXPECT_EQ(ReadBytes(folder / "zaloha/a.txt"), "foo\n");
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
