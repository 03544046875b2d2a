// The pass seen through its system calls. The order in which it makes its
// files durable: the flush that covers a temporary file comes before its
// rename, the folder flush after the renames, and the number of flushes does
// not grow with the number of files. And where each failure of a call leaves
// the run. The calls are wrapped in this binary to record them and, where a
// test asks, to fail.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <optional>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/in_out_error.h"
#include "run/backup_step.h"
#include "run/run.h"
#include "run/replacement_pass.h"
#include "tests/support/files.h"
#include "tests/support/recording_log.h"

namespace {

// What the wrapped calls did, while a test records.
std::vector<std::string> events;
bool recording = false;
// A data flush of the whole file system fails; so does the flush of one file
// whose temporary name is `failingFile`.
bool fileSystemFlushFails = false;
std::string failingFile;


template <typename Function>
Function Real(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

std::string NameOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target);
    const std::string path = n > 0 ? std::string(target, static_cast<std::size_t>(n)) : "";
    return path.substr(path.find_last_of('/') + 1);
}

// The `countdown`-th call (from 1) of the kind on the file named `name`
// fails with `error`, and so does every later one.
struct Failure {
    std::string name;
    int countdown = 0;
    int error = EIO;

    bool Now(int fd)
    {
        if (countdown == 0 || NameOf(fd) != name || --countdown > 0)
            return false;
        countdown = 1;
        errno = error;
        return true;
    }
};
Failure failingRead;
// Runs once, at the first read of the file named `name`.
struct Meanwhile {
    std::string name;
    std::function<void()> act;
} meanwhile;
Failure failingWrite;
Failure failingModeChange;

void Record(const std::string& event)
{
    if (recording)
        events.push_back(event);
}

} // namespace

extern "C" {

int syncfs(int fd)
{
    Record("syncfs");
    if (fileSystemFlushFails) {
        errno = EIO;
        return -1;
    }
    return Real<int (*)(int)>("syncfs")(fd);
}

int fsync(int fd)
{
    struct stat st {};
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    const std::string name = NameOf(fd);
    Record(folder ? "fsync folder" : "fsync file " + name);
    if (!folder && !failingFile.empty() && name == failingFile) {
        errno = EIO;
        return -1;
    }
    return Real<int (*)(int)>("fsync")(fd);
}

int fdatasync(int fd)
{
    Record("fdatasync");
    return Real<int (*)(int)>("fdatasync")(fd);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    if (meanwhile.act && NameOf(fd) == meanwhile.name)
        std::exchange(meanwhile.act, nullptr)();
    if (failingRead.Now(fd))
        return -1;
    return Real<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (failingWrite.Now(fd))
        return -1;
    return Real<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

int fchmod(int fd, mode_t mode)
{
    if (failingModeChange.Now(fd))
        return -1;
    return Real<int (*)(int, mode_t)>("fchmod")(fd, mode);
}

int renameat2(int from, const char* oldName, int to, const char* newName, unsigned flags)
{
    Record(std::string("place ") + newName);
    return Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(from, oldName, to, newName,
                                                                                   flags);
}

int renameat(int from, const char* oldName, int to, const char* newName)
{
    Record(std::string("rename ") + newName);
    return Real<int (*)(int, const char*, int, const char*)>("renameat")(from, oldName, to, newName);
}

} // extern "C"

namespace ravo {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// Each line is an event too, by the last name it holds.
class EventLog : public testing::RecordingLog {
public:
    void AppendLine(const std::string& line) override
    {
        RecordingLog::AppendLine(line);
        Record("log " + line.substr(line.find_last_of('/') + 1));
    }
};

class CommitOrderTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        recording = fileSystemFlushFails = false;
        failingFile.clear();
        failingRead = failingWrite = failingModeChange = {};
        meanwhile = {};
        events.clear();
        PendingIoResult = 0;
    }

    Lines Files(int count)
    {
        Lines paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(folder_ / ("f" + std::to_string(i) + ".txt"));
            WriteBytes(paths.back(), "foo\n");
        }
        return paths;
    }

    void Pass(const Lines& paths)
    {
        events.clear();
        recording = true;
        ReplaceInListedFiles(paths, "foo", "bar", log_, progress_);
        recording = false;
    }

    std::size_t Count(const std::string& prefix) const
    {
        return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&prefix](const auto& e) {
            return e.starts_with(prefix);
        }));
    }

    std::size_t First(const std::string& prefix) const
    {
        return static_cast<std::size_t>(std::find_if(events.begin(), events.end(),
                                                     [&prefix](const auto& e) { return e.starts_with(prefix); }) -
                                        events.begin());
    }

    std::size_t Last(const std::string& prefix) const
    {
        const auto found = std::find_if(events.rbegin(), events.rend(),
                                        [&prefix](const auto& e) { return e.starts_with(prefix); });
        return static_cast<std::size_t>(events.rend() - found) - 1;
    }

    TempFolder folder_;
    EventLog log_;
    NoProgress progress_;
};

// One flush for the data and one for the folder, however many files: each
// rename and its log line come after the data flush, the folder flush after
// the last rename.
TEST_F(CommitOrderTest, OneBatchFlushesTwiceWhateverItsSize)
{
    for (const int count : {1, 7, 60}) {
        const Lines paths = Files(count);
        Pass(paths);
        EXPECT_EQ(Count("syncfs"), 1u) << count;
        EXPECT_EQ(Count("fsync folder"), 1u) << count;
        EXPECT_EQ(Count("fdatasync") + Count("fsync file "), 0u) << count;
        EXPECT_EQ(Count("rename "), static_cast<std::size_t>(count));
        EXPECT_LT(First("syncfs"), First("rename "));
        EXPECT_LT(Last("rename "), First("fsync folder"));
        for (const std::string& path : paths)
            EXPECT_EQ(ReadBytes(path), "bar\r\n");
    }
}

// A rename and its log line go together, in list order.
TEST_F(CommitOrderTest, EachFileIsLoggedRightAfterItsRename)
{
    Pass(Files(3));
    const Lines expected = {"syncfs",         "rename f0.txt",   "log f0.txt",   "rename f1.txt",
                            "log f1.txt",     "rename f2.txt",   "log f2.txt",   "fsync folder"};
    EXPECT_EQ(events, expected);
}

// Where the file system cannot be flushed as a whole, each file is flushed
// on its own: those before a file whose flush fails are put in place, it
// and the rest are not, and its error ends the run.
TEST_F(CommitOrderTest, AFileThatCannotBeFlushedEndsTheRunAfterTheFilesBeforeIt)
{
    const Lines paths = Files(4);
    fileSystemFlushFails = true;
    failingFile = "f2.txt.TMP";
    try {
        Pass(paths);
        FAIL() << "the run did not fail";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.IoCode(), 1117);
    }
    EXPECT_EQ(log_.lines, (Lines{ModifiedLine(paths[0]), ModifiedLine(paths[1])}));
    EXPECT_EQ(ReadBytes(paths[1]), "bar\r\n");
    EXPECT_EQ(ReadBytes(paths[2]), "foo\n");
    EXPECT_EQ(ReadBytes(paths[3]), "foo\n");
    EXPECT_EQ(PendingIoResult, 0);
}

// Copies made before a run are on the disk before the first pass changes the
// files they keep.
TEST_F(CommitOrderTest, BackupsAreFlushedBeforeTheFirstPass)
{
    const Lines paths = Files(2);
    std::filesystem::create_directory(folder_ / "zaloha");
    recording = true;
    RunReplacements(paths, folder_ / "zaloha", [](int n) { return n == 1 ? StringPair{"foo", "bar"} : StringPair{}; },
                  log_, progress_);
    recording = false;
    const Lines expected = {"log zaloha",    "syncfs",       "place f0.txt",  "log f0.txt",
                            "place f1.txt",  "log f1.txt",   "fsync folder",  "syncfs",
                            "rename f0.txt", "log f0.txt",   "rename f1.txt", "log f1.txt",
                            "fsync folder"};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(ReadBytes(folder_ / "zaloha/f0.txt"), "foo\n");
}

// ---- A folder link swapped while the file is read ------------------------------

// Everything happens beside the file that was opened: the folder the link
// leads to afterwards gets no temporary file and keeps its file.
TEST_F(CommitOrderTest, TheFileOpenedIsTheFileRewritten)
{
    std::filesystem::create_directory(folder_ / "A");
    std::filesystem::create_directory(folder_ / "B");
    WriteBytes(folder_ / "A/notes.txt", "foo\n");
    WriteBytes(folder_ / "B/notes.txt", "foo theirs\n");
    std::filesystem::create_symlink("A", folder_ / "lnk");
    meanwhile = {"notes.txt", [this] {
                     std::filesystem::remove(folder_ / "lnk");
                     std::filesystem::create_symlink("B", folder_ / "lnk");
                 }};
    const std::string listed = folder_ / "lnk/notes.txt";
    ReplaceInListedFiles({listed}, "foo", "bar", log_, progress_);
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(listed)});
    EXPECT_EQ(ReadBytes(folder_ / "A/notes.txt"), "bar\r\n");
    EXPECT_EQ(ReadBytes(folder_ / "B/notes.txt"), "foo theirs\n");
    EXPECT_FALSE(testing::Exists(folder_ / "B/notes.txt.TMP"));
    EXPECT_FALSE(testing::Exists(folder_ / "A/notes.txt.TMP"));
}

// ---- Where each failure leaves the run ---------------------------------------

struct InjectedRow {
    const char* name;
    Failure read;
    Failure write;
    Failure modeChange;
    // Content of the second of three listed files, the one that fails.
    std::string content;
    // The code that ends the run; 0 when the run goes on past the file.
    std::int32_t code;
    // What its temporary file holds afterwards, where the row says.
    std::optional<std::string> temporary = std::nullopt;
};

void PrintTo(const InjectedRow& row, std::ostream* out) { *out << row.name; }

// The file layer reads and writes blocks of 64 KiB: each content below puts a
// failing read or write of the listed file at the step the row names.
const std::string kOneBlock = std::string(65535, 'x') + "\n";
const std::string kTwoBlocks = std::string(131071, 'x') + "\n";
constexpr std::size_t kBlock = 65536;
// A first block of `first`, filled up to its end with `fill`, and more of
// `fill` after it, for a read that fails at the second block.
std::string FirstBlock(const std::string& first, char fill, const std::string& last = "")
{
    std::string content = first + std::string(kBlock - first.size() - last.size(), fill) + last;
    return content + std::string(100, fill) + "\n";
}
const std::string kShortLinesThenLong = [] {
    std::string content;
    for (int i = 0; i < 1000; ++i)
        content += "abcdefg\n";
    return content + std::string(70000, 'x') + "\n";
}();

// Where a later call fails after the first, with another code, the run must
// end with the first: each check stands right after the operations it covers.
const InjectedRow kInjected[] = {
    {"ReadFailsAtTheEndTest", {"b.txt", 2, EIO}, {"b.txt.TMP", 1, ENOSPC}, {}, kOneBlock, 1117},
    {"ReadFailsInsideALine", {"b.txt", 2, EIO}, {"b.txt.TMP", 1, ENOSPC}, {}, kShortLinesThenLong, 1117},
    {"WriteFailsInTheWritePair", {"b.txt", 3, ENOSPC}, {"b.txt.TMP", 1, EIO}, {}, kTwoBlocks, 1117},
    // The last bytes cannot be written: the file is not replaced.
    {"WriteFailsAtTheClose", {}, {"b.txt.TMP", 1, ENOSPC}, {}, "foo\n", 112},
    // The take-over fails: the file is not replaced, and the run goes on.
    {"ModeCannotBeTakenOver", {}, {}, {"b.txt.TMP", 1, EIO}, "foo\n", 0},
    // A read that fails in the middle of the input: the check after the line
    // is read finds it, so nothing of the line it broke is written.
    {"ReadFailsInsideALineAcrossBlocks", {"b.txt", 2, EIO}, {}, {}, FirstBlock(std::string(200, 'a') + "\r\n", 'b'),
     1117, std::string(200, 'a') + "\r\n"},
    {"ReadFailsInsideALongLine", {"b.txt", 2, EIO}, {}, {}, FirstBlock("x\n", 'c'), 1117, "x\r\n"},
    {"ReadFailsRightAfterACr", {"b.txt", 2, EIO}, {}, {}, FirstBlock("first\r\n", 'b', "\r"), 1117, "first\r\n"},
    {"ReadFailsAtALineStart", {"b.txt", 2, EIO}, {}, {}, FirstBlock("", 'a', "\r\n"), 1117,
     std::string(kBlock - 2, 'a') + "\r\n"},
};

class InjectedFailureTest : public CommitOrderTest, public ::testing::WithParamInterface<InjectedRow> {};

TEST_P(InjectedFailureTest, FilesBeforeAreDoneTheFailingOneIsKept)
{
    const InjectedRow& row = GetParam();
    const std::string a = folder_ / "a.txt";
    const std::string b = folder_ / "b.txt";
    const std::string c = folder_ / "c.txt";
    WriteBytes(a, "foo\n");
    WriteBytes(b, row.content);
    WriteBytes(c, "foo\n");
    failingRead = row.read;
    failingWrite = row.write;
    failingModeChange = row.modeChange;
    std::int32_t code = 0;
    try {
        ReplaceInListedFiles({a, b, c}, "foo", "bar", log_, progress_);
    } catch (const EInOutError& error) {
        code = error.IoCode();
    }
    failingRead = failingWrite = failingModeChange = {};
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
    EXPECT_EQ(ReadBytes(b), row.content);
    EXPECT_TRUE(testing::Exists(b + ".TMP"));
    if (row.temporary) {
        EXPECT_EQ(ReadBytes(b + ".TMP"), *row.temporary);
    }
    if (row.code != 0) {
        EXPECT_EQ(log_.lines, Lines{ModifiedLine(a)});
        EXPECT_EQ(ReadBytes(c), "foo\n");
    } else {
        EXPECT_EQ(log_.lines,
                  (Lines{ModifiedLine(a), NotModifiedLine(b), ModifiedLine(c)}));
        EXPECT_EQ(ReadBytes(c), "bar\r\n");
    }
    EXPECT_EQ(PendingIoResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, InjectedFailureTest, ::testing::ValuesIn(kInjected),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace ravo
