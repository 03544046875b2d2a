// The backup step: file names, destinations and the log of the copies.
#include <gtest/gtest.h>
#include <optional>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "run/backup_step.h"
#include "run/run.h"
#include "platform/path.h"
#include "tests/support/files.h"
#include "tests/support/recording_log.h"

namespace ravo {
namespace {

using testing::ReadBytes;
using testing::RecordingLog;
using testing::TempFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

std::string Joined(const std::string& folder, const std::string& name) { return platform::JoinPath(folder, name); }

struct NameRow {
    std::string path;
    std::string name;
};

void PrintTo(const NameRow& row, std::ostream* out) { *out << ::testing::PrintToString(row.path); }

class FileNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(FileNameTest, NameIsWhatFollowsTheLastSeparator)
{
    EXPECT_EQ(ExtrahujNazevSouboru(GetParam().path), GetParam().name);
}

#ifdef _WIN32
// Only the backslash separates, and a name keeps its code page's bytes.
INSTANTIATE_TEST_SUITE_P(Rows, FileNameTest,
                         ::testing::Values(NameRow{"C:\\web\\index.htm", "index.htm"}, NameRow{"index.htm", "index.htm"},
                                           NameRow{"C:\\web\\sub\\", ""}, NameRow{"C:\\", ""}, NameRow{"", ""},
                                           NameRow{"C:\\a.b\\c", "c"}, NameRow{"/web/a.htm", "/web/a.htm"},
                                           NameRow{"C:a.htm", "C:a.htm"}, NameRow{"C:\\x\\\x9akola.txt", "\x9akola.txt"}));

#else
INSTANTIATE_TEST_SUITE_P(Rows, FileNameTest,
                         ::testing::Values(NameRow{"/web/index.htm", "index.htm"}, NameRow{"index.htm", "index.htm"},
                                           NameRow{"/web/sub/", ""}, NameRow{"/", ""}, NameRow{"", ""},
                                           NameRow{"/a.b/c", "c"}, NameRow{"C:\\web\\a.htm", "C:\\web\\a.htm"},
                                           NameRow{"/x/\xc5\xa1kola.txt", "\xc5\xa1kola.txt"}));
#endif

struct DestinationRow {
    std::string folder;
    std::string path;
    std::string destination;
};

void PrintTo(const DestinationRow& row, std::ostream* out) { *out << row.folder << " + " << row.path; }

class DestinationTest : public ::testing::TestWithParam<DestinationRow> {};

TEST_P(DestinationTest, FolderSeparatorAndName)
{
    EXPECT_EQ(BackupDestination(GetParam().folder, GetParam().path), GetParam().destination);
}

#ifdef _WIN32
// The separator is always added, so a drive's root gives two in a row.
INSTANTIATE_TEST_SUITE_P(Rows, DestinationTest,
                         ::testing::Values(DestinationRow{"C:\\zaloha", "C:\\web\\a.htm", "C:\\zaloha\\a.htm"},
                                           DestinationRow{"C:\\", "C:\\web\\a.htm", "C:\\\\a.htm"},
                                           DestinationRow{"D:\\zaloha", "a.htm", "D:\\zaloha\\a.htm"}));
#else
INSTANTIATE_TEST_SUITE_P(Rows, DestinationTest,
                         ::testing::Values(DestinationRow{"/zaloha", "/web/a.htm", "/zaloha/a.htm"},
                                           DestinationRow{"/", "/web/a.htm", "//a.htm"},
                                           DestinationRow{"/zaloha", "a.htm", "/zaloha/a.htm"}));
#endif

TEST(BackupListedFilesTest, LogsFolderThenEachCopyMadeOrFailed)
{
    TempFolder folder;
    std::filesystem::create_directories(Joined(folder / "web", "sub"));
    std::filesystem::create_directory(folder / "zaloha");
    const std::string a = Joined(folder / "web", "a.htm");
    const std::string b = Joined(folder / "web", "b.htm");
    const std::string sameName = Joined(Joined(folder / "web", "sub"), "a.htm");
    const std::string missing = Joined(folder / "web", "missing.htm");
    WriteBytes(a, "first a");
    WriteBytes(b, "b");
    WriteBytes(sameName, "second a");
    const std::string backup = folder / "zaloha";
    RecordingLog log;
    BackupListedFiles(backup, {a, b, sameName, missing}, log);
    EXPECT_EQ(log.lines, (Lines{backup, BackedUpLine(a, Joined(backup, "a.htm")),
                                BackedUpLine(b, Joined(backup, "b.htm")),
                                NotBackedUpLine(sameName, Joined(backup, "a.htm")),
                                NotBackedUpLine(missing, Joined(backup, "missing.htm"))}));
    EXPECT_EQ(ReadBytes(Joined(backup, "a.htm")), "first a");
    EXPECT_EQ(ReadBytes(Joined(backup, "b.htm")), "b");
    EXPECT_FALSE(testing::Exists(Joined(backup, "missing.htm")));
}

TEST(BackupListedFilesTest, SecondRunKeepsTheFirstCopies)
{
    TempFolder folder;
    const std::string a = folder / "a.txt";
    std::filesystem::create_directory(folder / "zaloha");
    WriteBytes(a, "before");
    RecordingLog log;
    BackupListedFiles(folder / "zaloha", {a}, log);
    WriteBytes(a, "changed");
    BackupListedFiles(folder / "zaloha", {a}, log);
    EXPECT_EQ(log.lines.back(), NotBackedUpLine(a, Joined(folder / "zaloha", "a.txt")));
    EXPECT_EQ(ReadBytes(Joined(folder / "zaloha", "a.txt")), "before");
}

TEST(BackupListedFilesTest, FolderOfTheListedFilesCopiesNothing)
{
    TempFolder folder;
    const std::string a = folder / "a.txt";
    WriteBytes(a, "content");
    RecordingLog log;
    BackupListedFiles(folder.Path(), {a}, log);
    EXPECT_EQ(log.lines, (Lines{folder.Path(), NotBackedUpLine(a, a)}));
    EXPECT_EQ(ReadBytes(a), "content");
}

#ifdef _WIN32
TEST(BackupListedFilesTest, CopyHasTheSourcesAccessList)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "zaloha");
    const std::string a = folder / "a.txt";
    WriteBytes(a, "private");
    testing::SetOwnerAndReaders(a);
    RecordingLog log;
    BackupListedFiles(folder / "zaloha", {a}, log);
    const std::string copy = Joined(folder / "zaloha", "a.txt");
    EXPECT_EQ(ReadBytes(copy), "private");
    EXPECT_EQ(testing::AccessList(copy), testing::AccessList(a));
}
#else
// Only regular files are copied: a FIFO or a device in the list is a failed
// copy, at once, and the files after it are still copied.
TEST(BackupListedFilesTest, FifoOrDeviceIsAFailedCopyThatNeverWaits)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "zaloha");
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    const std::string a = folder / "a.txt";
    WriteBytes(a, "a");
    const std::string backup = folder / "zaloha";
    RecordingLog log;
    ::alarm(10); // a copy that waits ends the test binary
    BackupListedFiles(backup, {fifo, "/dev/zero", a}, log);
    ::alarm(0);
    EXPECT_EQ(log.lines, (Lines{backup, NotBackedUpLine(fifo, Joined(backup, "fifo")),
                                NotBackedUpLine("/dev/zero", Joined(backup, "zero")),
                                BackedUpLine(a, Joined(backup, "a.txt"))}));
    EXPECT_FALSE(testing::Exists(Joined(backup, "fifo")));
    EXPECT_FALSE(testing::Exists(Joined(backup, "zero")));
}
#endif

struct RunRow {
    const char* name;
    std::optional<std::string> folder; // relative to the scratch folder
    bool copied;
};

void PrintTo(const RunRow& row, std::ostream* out) { *out << row.name; }

class RunTest : public ::testing::TestWithParam<RunRow> {};

// The backup, or the line that says there is none, comes before the passes,
// so a copy holds the content from before the run.
TEST_P(RunTest, BackupOrNoBackupLineThenThePasses)
{
    const RunRow& row = GetParam();
    TempFolder folder;
    std::filesystem::create_directory(folder / "zaloha");
    const std::string a = folder / "a.txt";
    WriteBytes(a, "foo\n");
    const std::optional<std::string> backup =
        row.folder ? std::optional(folder / *row.folder) : std::optional<std::string>();
    RecordingLog log;
    NoProgress progress;
    RunReplacements({a}, backup, [](int n) { return n == 2 ? StringPair{"foo", "bar"} : StringPair{}; }, log, progress);
    Lines expected;
    if (backup) {
        const std::string destination = Joined(*backup, "a.txt");
        expected = {*backup, row.copied ? BackedUpLine(a, destination) : NotBackedUpLine(a, destination)};
        EXPECT_EQ(testing::Exists(destination), row.copied);
        if (row.copied) {
            EXPECT_EQ(ReadBytes(destination), "foo\n");
        }
    } else {
        expected = {kNoBackupLine};
    }
    expected.push_back(ModifiedLine(a));
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
}

INSTANTIATE_TEST_SUITE_P(Rows, RunTest,
                         ::testing::Values(RunRow{"NoBackup", std::nullopt, false},
                                           RunRow{"BackupFolder", "zaloha", true},
                                           RunRow{"MissingBackupFolder", "gone", false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(BackupListedFilesTest, EmptyListLogsOnlyTheFolder)
{
    RecordingLog log;
    BackupListedFiles("/zaloha", {}, log);
    EXPECT_EQ(log.lines, Lines{"/zaloha"});
}

} // namespace
} // namespace ravo
