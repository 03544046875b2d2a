// The file calls: error numbers, what a name may hold for reading and for
// writing, the block buffers below the callers' reads and writes, and file
// types.
#include <cerrno>
#include <filesystem>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/file_api.h"
#include "platform/file_api_posix.h"
#include "tests/support/files.h"

namespace ravo::platform {
namespace {

using ravo::testing::ReadBytes;
using ravo::testing::PermissionBits;
using ravo::testing::SetPermissionBits;
using ravo::testing::StatusOf;
using ravo::testing::TempFolder;
using ravo::testing::WriteBytes;

struct ErrnoRow {
    int errnum;
    std::uint32_t code;
};

void PrintTo(const ErrnoRow& row, std::ostream* out) { *out << "errno " << row.errnum; }

class ErrnoTableTest : public ::testing::TestWithParam<ErrnoRow> {};

TEST_P(ErrnoTableTest, MapsToCode)
{
    EXPECT_EQ(Win32CodeFromErrno(GetParam().errnum), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Rows, ErrnoTableTest,
                         ::testing::Values(ErrnoRow{ENOENT, 2}, ErrnoRow{ENOTDIR, 3}, ErrnoRow{EMFILE, 4},
                                           ErrnoRow{ENFILE, 4}, ErrnoRow{EACCES, 5}, ErrnoRow{EPERM, 5},
                                           ErrnoRow{EISDIR, 5}, ErrnoRow{EROFS, 5}, ErrnoRow{ENOSPC, 112},
                                           ErrnoRow{EDQUOT, 112}, ErrnoRow{ENAMETOOLONG, 206},
                                           ErrnoRow{EFBIG, 223}, ErrnoRow{EIO, 1117}, ErrnoRow{ENOTSUP, 31},
                                           ErrnoRow{0, 31}));

TEST(ErrnoTableTest, MissingEntryIsToldApartByItsFolder)
{
    TempFolder folder;
    EXPECT_EQ(Win32CodeFromErrno(ENOENT, (folder / "missing").c_str()), kErrorFileNotFound);
    EXPECT_EQ(Win32CodeFromErrno(ENOENT, (folder / "no/missing").c_str()), kErrorPathNotFound);
    EXPECT_EQ(Win32CodeFromErrno(ENOENT, "/missing-at-root"), kErrorFileNotFound);
    EXPECT_EQ(Win32CodeFromErrno(ENOENT, "relative-missing"), kErrorFileNotFound);
}

// ---- Opening -------------------------------------------------------------------

struct OpenRow {
    const char* name;
    std::string (*prepare)(const TempFolder&);
    FileAccess access;
    std::uint32_t code; // 0: the open succeeds
};

void PrintTo(const OpenRow& row, std::ostream* out) { *out << row.name; }

std::string PlainFile(const TempFolder& f)
{
    WriteBytes(f / "plain.txt", "plain");
    return f / "plain.txt";
}

std::string ReadOnlyFile(const TempFolder& f)
{
    WriteBytes(f / "ro.txt", "kept");
    SetPermissionBits(f / "ro.txt", 0444);
    return f / "ro.txt";
}

std::string MakeFifo(const TempFolder& f)
{
    if (::mkfifo((f / "fifo").c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a FIFO");
    return f / "fifo";
}

std::string LinkTo(const TempFolder& f, const std::string& target)
{
    if (::symlink(target.c_str(), (f / "link").c_str()) != 0)
        throw std::runtime_error("cannot make a link");
    return f / "link";
}

const OpenRow kOpens[] = {
    {"ExistingForReading", PlainFile, FileAccess::Read, 0},
    {"ExistingForWriting", PlainFile, FileAccess::Write, 0},
    {"NewForWriting", [](const TempFolder& f) { return f / "new.txt"; }, FileAccess::Write, 0},
    {"ReadOnlyForReading", ReadOnlyFile, FileAccess::Read, 0},
    {"ReadOnlyForWriting", ReadOnlyFile, FileAccess::Write, 5},
    {"MissingForReading", [](const TempFolder& f) { return f / "missing.txt"; }, FileAccess::Read, 2},
    {"MissingFolderForReading", [](const TempFolder& f) { return f / "no/missing.txt"; }, FileAccess::Read, 3},
    {"MissingFolderForWriting", [](const TempFolder& f) { return f / "no/new.txt"; }, FileAccess::Write, 3},
    {"FileUsedAsFolder", [](const TempFolder& f) { return PlainFile(f) + "/x"; }, FileAccess::Read, 3},
    {"FolderForReading", [](const TempFolder& f) { return f.Path(); }, FileAccess::Read, 5},
    {"FolderForWriting", [](const TempFolder& f) { return f.Path(); }, FileAccess::Write, 5},
    {"FifoForReading", MakeFifo, FileAccess::Read, 5},
    {"DeviceForReading", [](const TempFolder&) { return std::string("/dev/null"); }, FileAccess::Read, 5},
    {"LinkForReading", [](const TempFolder& f) { return LinkTo(f, PlainFile(f)); }, FileAccess::Read, 0},
    {"DanglingLinkForReading", [](const TempFolder& f) { return LinkTo(f, f / "gone"); }, FileAccess::Read, 2},
    {"LinkToFolderForReading", [](const TempFolder& f) { return LinkTo(f, f.Path()); }, FileAccess::Read, 5},
    {"FifoForWriting", MakeFifo, FileAccess::Write, 0},
    {"LinkForWriting", [](const TempFolder& f) { return LinkTo(f, ReadOnlyFile(f)); }, FileAccess::Write, 0},
    {"ComponentTooLong", [](const TempFolder& f) { return f / std::string(300, 'x'); }, FileAccess::Read, 206},
};

class OpenTest : public ::testing::TestWithParam<OpenRow> {};

TEST_P(OpenTest, OpensOrFailsWithCode)
{
    TempFolder folder;
    const std::string path = GetParam().prepare(folder);
    SetLastError(0);
    ::alarm(10); // an open that waits ends the test binary
    const FileHandle file = CreateFile(path.c_str(), GetParam().access);
    ::alarm(0);
    if (GetParam().code == 0) {
        ASSERT_NE(file, kInvalidHandle);
        EXPECT_TRUE(CloseHandle(file));
    } else {
        EXPECT_EQ(file, kInvalidHandle);
        EXPECT_EQ(GetLastError(), GetParam().code);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, OpenTest, ::testing::ValuesIn(kOpens),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CreateFileTest, ReadOnlyFileKeepsItsContentWhenCreationFails)
{
    TempFolder folder;
    const std::string path = ReadOnlyFile(folder);
    EXPECT_EQ(CreateFile(path.c_str(), FileAccess::Write), kInvalidHandle);
    EXPECT_EQ(ReadBytes(path), "kept");
}

// ---- A fresh file for writing -------------------------------------------------------

struct PlantRow {
    const char* name;
    // Puts an entry under `name` that may lead to `victim`, which holds "victim".
    void (*plant)(const std::string& name, const std::string& victim);
};

void PrintTo(const PlantRow& row, std::ostream* out) { *out << row.name; }

const PlantRow kPlants[] = {
    {"Nothing", [](const std::string&, const std::string&) {}},
    {"OldFile", [](const std::string& name, const std::string&) { WriteBytes(name, "left by an earlier run"); }},
    {"LinkToOtherFile", [](const std::string& name, const std::string& victim) { std::filesystem::create_symlink(victim, name); }},
    {"DanglingLink", [](const std::string& name, const std::string&) { std::filesystem::create_symlink("/nonexistent/x", name); }},
    {"LinkToItself", [](const std::string& name, const std::string&) { std::filesystem::create_symlink(name, name); }},
    {"HardLinkToOtherFile",
     [](const std::string& name, const std::string& victim) { std::filesystem::create_hard_link(victim, name); }},
    {"Fifo", [](const std::string& name, const std::string&) { ::mkfifo(name.c_str(), 0666); }},
    {"Socket",
     [](const std::string& name, const std::string&) {
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         name.copy(address.sun_path, sizeof address.sun_path - 1);
         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
         ::close(fd);
     }},
};

class FreshFileTest : public ::testing::TestWithParam<PlantRow> {};

// Whatever was planted, the name ends up holding a new, owner-only regular
// file with what was written, and nothing the entry led to is touched.
TEST_P(FreshFileTest, PlantedEntryIsNeitherOpenedNorFollowed)
{
    TempFolder folder;
    const std::string name = folder / "f.TMP";
    const std::string victim = folder / "victim";
    WriteBytes(victim, "victim");
    SetPermissionBits(victim, 0644);
    GetParam().plant(name, victim);
    ::alarm(10);
    const FileHandle file = CreateFile(name.c_str(), FileAccess::Write);
    ::alarm(0);
    ASSERT_NE(file, kInvalidHandle) << GetLastError();
    EXPECT_EQ(PermissionBits(name), 0600u);
    EXPECT_TRUE(WriteFile(file, "new", 3));
    EXPECT_TRUE(CloseHandle(file));
    const struct stat st = StatusOf(name);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(ReadBytes(name), "new");
    EXPECT_EQ(ReadBytes(victim), "victim");
    EXPECT_EQ(PermissionBits(victim), 0644u);
}

INSTANTIATE_TEST_SUITE_P(Rows, FreshFileTest, ::testing::ValuesIn(kPlants),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CreateFileTest, FileHeldOpenByAnotherIsNotTheOneWritten)
{
    TempFolder folder;
    const std::string name = folder / "f.TMP";
    WriteBytes(name, "theirs");
    const int theirs = ::open(name.c_str(), O_RDWR);
    ASSERT_GE(theirs, 0);
    const FileHandle file = CreateFile(name.c_str(), FileAccess::Write);
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_TRUE(WriteFile(file, "mine", 4));
    EXPECT_TRUE(CloseHandle(file));
    ASSERT_EQ(::write(theirs, "XX", 2), 2);
    ::close(theirs);
    EXPECT_EQ(ReadBytes(name), "mine");
}

TEST(CreateFileTest, FreshFileIsOwnerOnlyWhateverTheUmask)
{
    TempFolder folder;
    for (const mode_t mask : {0000, 0022, 0277, 0777}) {
        const mode_t old = ::umask(mask);
        const FileHandle file = CreateFile((folder / "f.TMP").c_str(), FileAccess::Write);
        ::umask(old);
        ASSERT_NE(file, kInvalidHandle);
        EXPECT_EQ(PermissionBits(folder / "f.TMP"), 0600u) << "umask " << mask;
        EXPECT_TRUE(CloseHandle(file));
    }
}

TEST(CreateFileTest, FolderOrDeviceUnderTheNameIsRefusedAndKept)
{
    TempFolder folder;
    ASSERT_EQ(::mkdir((folder / "sub.TMP").c_str(), 0755), 0);
    EXPECT_EQ(CreateFile((folder / "sub.TMP").c_str(), FileAccess::Write), kInvalidHandle);
    EXPECT_EQ(GetLastError(), kErrorAccessDenied);
    EXPECT_TRUE(S_ISDIR(StatusOf(folder / "sub.TMP").st_mode));
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a device node";
    const std::string device = folder / "null.TMP";
    ASSERT_EQ(::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    EXPECT_EQ(CreateFile(device.c_str(), FileAccess::Write), kInvalidHandle);
    EXPECT_EQ(GetLastError(), kErrorAccessDenied);
    EXPECT_TRUE(S_ISCHR(StatusOf(device).st_mode));
}

// A chain of links, relative and absolute, is followed to the file at its
// end; the place kept is that file's folder and name, so its temporary file
// lies beside it.
TEST(CreateFileTest, ReadingThroughLinksReachesTheFileAndItsPlace)
{
    TempFolder folder;
    std::filesystem::create_directory(folder / "real");
    WriteBytes(folder / "real/file", "x");
    std::filesystem::create_symlink(folder / "real/file", folder / "one");
    std::filesystem::create_symlink("one", folder / "two");
    std::filesystem::create_symlink("../two", folder / "real/three");
    for (const std::string name : {"real/file", "one", "two", "real/three"}) {
        const FileHandle file = CreateFile((folder / name).c_str(), FileAccess::Read);
        ASSERT_NE(file, kInvalidHandle) << name;
        EXPECT_TRUE(FactsOf(file).SameFileAs(FactsFrom(StatusOf(folder / "real/file")))) << name;
        EXPECT_EQ(PlaceOf(file).name, "file") << name;
        struct stat held {};
        ASSERT_EQ(::fstat(DescriptorOf(*PlaceOf(file).folder), &held), 0);
        EXPECT_EQ(held.st_ino, StatusOf(folder / "real").st_ino) << name;
        EXPECT_TRUE(CloseHandle(file));
    }
}

// ---- What an opened file was -------------------------------------------------

// The questions the pass asks of a listed file: whether it may be replaced
// and how much it adds to a batch.
struct FactsRow {
    const char* name;
    mode_t bits;
    std::size_t size;
    bool readOnly;
};

void PrintTo(const FactsRow& row, std::ostream* out) { *out << row.name; }

class FactsTest : public ::testing::TestWithParam<FactsRow> {};

TEST_P(FactsTest, AnswerForTheFileOpened)
{
    const FactsRow& row = GetParam();
    TempFolder folder;
    WriteBytes(folder / "file", "");
    // Sparse: a size past 4 GiB costs no disk.
    std::filesystem::resize_file(folder / "file", row.size);
    SetPermissionBits(folder / "file", row.bits);
    const FileHandle file = CreateFile((folder / "file").c_str(), FileAccess::Read);
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_TRUE(FactsOf(file).IsRegular());
    EXPECT_EQ(FactsOf(file).IsReadOnly(), row.readOnly);
    EXPECT_EQ(FactsOf(file).Size(), row.size);
    EXPECT_TRUE(CloseHandle(file));
}

INSTANTIATE_TEST_SUITE_P(Rows, FactsTest,
                         ::testing::Values(FactsRow{"OwnerMayWrite", 0600, 0, false},
                                           FactsRow{"OwnerMayNotWrite", 0444, 70000, true},
                                           FactsRow{"OnlyOthersMayWrite", 0466, 5000000000, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// Descriptors run out in a child process whose limit is lowered.
void OpenUntilDescriptorsRunOut(const std::string& path)
{
    const struct rlimit limit = {16, 16};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
        std::_Exit(10);
    for (int i = 0; i < 32; ++i) {
        if (CreateFile(path.c_str(), FileAccess::Read) == kInvalidHandle)
            std::_Exit(GetLastError() == kErrorTooManyOpenFiles ? 0 : 11);
    }
    std::_Exit(12);
}

TEST(CreateFileTest, TooManyOpenFilesGives4)
{
    TempFolder folder;
    const std::string path = PlainFile(folder);
    EXPECT_EXIT(OpenUntilDescriptorsRunOut(path), ::testing::ExitedWithCode(0), "");
}

// ---- Reading and writing through the block buffers ------------------------------------

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

class ReadWriteSizesTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ReadWriteSizesTest, ReadsIn128ByteStepsGiveEveryByteOnce)
{
    TempFolder folder;
    const std::string path = folder / "r.bin";
    const std::string content = Pattern(GetParam());
    WriteBytes(path, content);
    const FileHandle file = CreateFile(path.c_str(), FileAccess::Read);
    ASSERT_NE(file, kInvalidHandle);
    std::string seen;
    char block[128];
    std::size_t got = 0;
    int reads = 0;
    while (ReadFile(file, block, sizeof block, got) && got > 0) {
        EXPECT_TRUE(got == sizeof block || seen.size() + got == content.size());
        seen.append(block, got);
        ++reads;
    }
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(seen, content);
    EXPECT_EQ(reads, static_cast<int>((content.size() + 127) / 128));
    EXPECT_TRUE(CloseHandle(file));
}

TEST_P(ReadWriteSizesTest, WritesInSmallStepsReachTheDiskAtClose)
{
    TempFolder folder;
    const std::string path = folder / "w.bin";
    const std::string content = Pattern(GetParam());
    const FileHandle file = CreateFile(path.c_str(), FileAccess::Write);
    ASSERT_NE(file, kInvalidHandle);
    for (std::size_t at = 0, step = 1; at < content.size(); at += step, step = step % 300 + 97)
        ASSERT_TRUE(WriteFile(file, content.data() + at, std::min(step, content.size() - at)));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadBytes(path), content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadWriteSizesTest,
                         ::testing::Values(0, 1, 127, 128, 129, 65535, 65536, 65537, 300000));

TEST(ReadWriteTest, LargeWriteGoesThroughWhole)
{
    TempFolder folder;
    const std::string path = folder / "w.bin";
    const std::string content = Pattern(200000);
    const FileHandle file = CreateFile(path.c_str(), FileAccess::Write);
    ASSERT_TRUE(WriteFile(file, "head", 4));
    ASSERT_TRUE(WriteFile(file, content.data(), content.size()));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadBytes(path), "head" + content);
}

TEST(ReadWriteTest, WrongDirectionFails)
{
    TempFolder folder;
    const std::string path = PlainFile(folder);
    char byte = 0;
    std::size_t got = 7;
    const FileHandle reader = CreateFile(path.c_str(), FileAccess::Read);
    EXPECT_FALSE(WriteFile(reader, "x", 1));
    EXPECT_EQ(GetLastError(), kErrorAccessDenied);
    EXPECT_TRUE(CloseHandle(reader));
    const FileHandle writer = CreateFile(path.c_str(), FileAccess::Write);
    EXPECT_FALSE(ReadFile(writer, &byte, 1, got));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(CloseHandle(writer));
}

// In a child process whose standard output is the full device.
void WriteToFullDevice()
{
    if (!ravo::testing::RedirectStandardOutput("/dev/full"))
        std::_Exit(10);
    const FileHandle file = CreateFile("", FileAccess::Write);
    if (file == kInvalidHandle)
        std::_Exit(11);
    const bool failed = !WriteFile(file, "abc", 3) && GetLastError() == kErrorDiskFull;
    std::_Exit(failed && CloseHandle(file) ? 0 : 12);
}

TEST(ReadWriteTest, FullDeviceFailsWith112)
{
    EXPECT_EXIT(WriteToFullDevice(), ::testing::ExitedWithCode(0), "");
}

// A write held back in the block fails when it finally goes out: at close.
void WriteBeyondFileSizeLimit(const std::string& path)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit = {1000, 1000};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(10);
    const FileHandle file = CreateFile(path.c_str(), FileAccess::Write);
    const std::string bytes(2000, 'x');
    if (!WriteFile(file, bytes.data(), 128) || !WriteFile(file, bytes.data(), 1872))
        std::_Exit(11);
    std::_Exit(!CloseHandle(file) && GetLastError() == kErrorFileTooLarge ? 0 : 12);
}

TEST(ReadWriteTest, HeldBackWriteFailureIsReportedByClose)
{
    TempFolder folder;
    EXPECT_EXIT(WriteBeyondFileSizeLimit(folder / "w.bin"), ::testing::ExitedWithCode(0), "");
}

// ---- File types ----------------------------------------------------------------

// In a child process whose standard output is the null device and whose
// standard input is a pipe.
void TypesOfStandardStreams()
{
    int ends[2];
    if (!ravo::testing::RedirectStandardOutput("/dev/null") || ::pipe(ends) != 0 ||
        ::dup2(ends[0], STDIN_FILENO) < 0)
        std::_Exit(10);
    const FileHandle device = CreateFile("", FileAccess::Write);
    const FileHandle pipe = CreateFile("", FileAccess::Read);
    const bool right = GetFileType(device) == kFileTypeChar && GetFileType(pipe) == kFileTypePipe;
    std::_Exit(right && CloseHandle(device) && CloseHandle(pipe) ? 0 : 11);
}

TEST(GetFileTypeTest, TellsDeviceDiskAndPipeApart)
{
    EXPECT_EXIT(TypesOfStandardStreams(), ::testing::ExitedWithCode(0), "");
    TempFolder folder;
    const FileHandle disk = CreateFile(PlainFile(folder).c_str(), FileAccess::Read);
    EXPECT_EQ(GetFileType(disk), kFileTypeDisk);
    EXPECT_TRUE(CloseHandle(disk));
    EXPECT_EQ(GetFileType(kInvalidHandle), kFileTypeUnknown);
}

} // namespace
} // namespace ravo::platform
