// The pass seen through its system calls. The order in which it makes its
// files durable: the flush that covers a temporary file comes before its
// rename, the folder flush after the renames, and the number of flushes does
// not grow with the number of files. The calls are wrapped in this binary to
// record them and, where a test asks, to fail.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "run/backup_step.h"
#include "run/run.h"
#include "tests/run/commit_order.h"

namespace {

using ravo::testing::Fault;
using ravo::testing::Record;

// A data flush of the whole file system fails; so does the flush of each file
// whose temporary name starts with `failingFile`.
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

// True, with errno set, when `failure` fails this call on `fd`.
bool Fails(ravo::testing::Failure& failure, int fd)
{
    if (!failure.Now([fd] { return NameOf(fd); }))
        return false;
    errno = failure.fault == Fault::Io ? EIO : ENOSPC;
    return true;
}

// Runs once, at the first read of the file named `name`.
struct Meanwhile {
    std::string name;
    std::function<void()> act;
} meanwhile;

} // namespace

namespace ravo::testing {

void ForgetSystemFailures()
{
    fileSystemFlushFails = false;
    failingFile.clear();
    meanwhile = {};
}

} // namespace ravo::testing

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
    if (!folder && !failingFile.empty() && name.starts_with(failingFile)) {
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
    if (Fails(ravo::testing::failingRead, fd))
        return -1;
    return Real<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, size);
}

ssize_t write(int fd, const void* data, size_t size)
{
    if (Fails(ravo::testing::failingWrite, fd))
        return -1;
    return Real<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}

int fchmod(int fd, mode_t mode)
{
    if (Fails(ravo::testing::failingTakeOver, fd))
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

using testing::CommitOrderTest;
using testing::events;
using testing::ReadBytes;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

// Where the events that start with `prefix` are: how many, the first, the
// last.
std::size_t Count(const std::string& prefix)
{
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [&prefix](const auto& e) { return e.starts_with(prefix); }));
}

std::size_t First(const std::string& prefix)
{
    return static_cast<std::size_t>(
        std::find_if(events.begin(), events.end(), [&prefix](const auto& e) { return e.starts_with(prefix); }) -
        events.begin());
}

std::size_t Last(const std::string& prefix)
{
    const auto found =
        std::find_if(events.rbegin(), events.rend(), [&prefix](const auto& e) { return e.starts_with(prefix); });
    return static_cast<std::size_t>(events.rend() - found) - 1;
}

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

// A copy whose data cannot be flushed is no backup: it takes no name and
// leaves nothing in the folder, and the run goes on.
TEST_F(CommitOrderTest, ACopyThatCannotBeFlushedLeavesNothingBehind)
{
    const Lines paths = Files(2);
    const std::string backup = folder_ / "zaloha";
    std::filesystem::create_directory(backup);
    fileSystemFlushFails = true;
    // Every copy waits under such a name.
    failingFile = ".ravo-";
    RunReplacements(paths, backup, [](int n) { return n == 1 ? StringPair{"foo", "bar"} : StringPair{}; }, log_,
                    progress_);
    EXPECT_EQ(log_.lines, (Lines{BackupFolderLine(backup), NotBackedUpLine(paths[0], folder_ / "zaloha/f0.txt"),
                                 NotBackedUpLine(paths[1], folder_ / "zaloha/f1.txt"), ModifiedLine(paths[0]),
                                 ModifiedLine(paths[1])}));
    EXPECT_TRUE(std::filesystem::is_empty(backup));
}

// Copies made before a run are on the disk before the first pass changes the
// files they keep.
TEST_F(CommitOrderTest, BackupsAreFlushedBeforeTheFirstPass)
{
    const Lines paths = Files(2);
    std::filesystem::create_directory(folder_ / "zaloha");
    testing::recording = true;
    RunReplacements(paths, folder_ / "zaloha", [](int n) { return n == 1 ? StringPair{"foo", "bar"} : StringPair{}; },
                  log_, progress_);
    testing::recording = false;
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

} // namespace
} // namespace ravo
