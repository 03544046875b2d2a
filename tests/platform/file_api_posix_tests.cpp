// The file calls as only POSIX has them: errno values, descriptors running
// out, owner modes and the umask, links, FIFOs, sockets and device nodes
// under a name, and standard streams that are devices.
#include <cerrno>
#include <csignal>
#include <filesystem>
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

// ---- Error numbers ------------------------------------------------------------------

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

// ---- Descriptors running out ---------------------------------------------------

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
    const std::string path = folder / "plain.txt";
    WriteBytes(path, "plain");
    EXPECT_EXIT(OpenUntilDescriptorsRunOut(path), ::testing::ExitedWithCode(0), "");
}

// ---- Writes that fail where they go out -------------------------------------------

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

} // namespace
} // namespace ravo::platform
