// Copy without overwrite.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "platform/file_api.h"
#include "platform/file_copy.h"
#include "platform/path.h"
#include "tests/support/files.h"

namespace ravo::platform {
namespace {

using ravo::testing::Exists;
using ravo::testing::ReadBytes;
using ravo::testing::TempFolder;
using ravo::testing::WriteBytes;

#ifdef _WIN32
FILETIME LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// The copy has the source's bytes, attributes and time of its last write; a
// read-only source gives a read-only copy, flushed all the same.
TEST(CopyFileNoOverwriteTest, CopiesBytesAttributesAndTime)
{
    TempFolder folder;
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_READONLY},
                                   DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY}}) {
        const std::string source = folder / "src.bin";
        const std::string destination = folder / ("copy-" + std::to_string(attributes));
        std::string content(300000, 'c');
        content[17] = '\0';
        WriteBytes(source, content);
        const HANDLE file = ::CreateFileA(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const FILETIME old{0x12345678, 0x01c00000};
        ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &old));
        ::CloseHandle(file);
        ASSERT_TRUE(::SetFileAttributesA(source.c_str(), attributes));
        ASSERT_TRUE(CopyFileNoOverwrite(source, destination));
        EXPECT_EQ(ReadBytes(destination), content);
        const DWORD mask = ~DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL};
        EXPECT_EQ(::GetFileAttributesA(destination.c_str()) & mask, attributes & mask);
        EXPECT_EQ(LastWriteTime(destination).dwLowDateTime, old.dwLowDateTime);
        EXPECT_EQ(LastWriteTime(destination).dwHighDateTime, old.dwHighDateTime);
        ::SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}
#else
using ravo::testing::PermissionBits;
using ravo::testing::SetPermissionBits;

struct timespec ModificationTime(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

TEST(CopyFileNoOverwriteTest, CopiesBytesModeAndTime)
{
    TempFolder folder;
    for (const mode_t bits : {0644, 0600, 0755, 0444}) {
        const std::string source = folder / "src.bin";
        const std::string destination = folder / ("copy-" + std::to_string(bits));
        std::string content(300000, 'c');
        content[17] = '\0';
        WriteBytes(source, content);
        const struct timespec old[2] = {{1000000000, 0}, {1100000000, 123456789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), old, 0), 0);
        SetPermissionBits(source, bits);
        ASSERT_TRUE(CopyFileNoOverwrite(source, destination));
        EXPECT_EQ(ReadBytes(destination), content);
        EXPECT_EQ(PermissionBits(destination), bits);
        EXPECT_EQ(ModificationTime(destination).tv_sec, 1100000000);
        EXPECT_EQ(ModificationTime(destination).tv_nsec, 123456789);
        SetPermissionBits(source, 0644);
    }
}

#endif

TEST(CopyFileNoOverwriteTest, EmptyFileIsCopied)
{
    TempFolder folder;
    WriteBytes(folder / "empty", "");
    EXPECT_TRUE(CopyFileNoOverwrite(folder / "empty", folder / "copy"));
    EXPECT_EQ(ReadBytes(folder / "copy"), "");
}

struct CopyFailureRow {
    const char* name;
    // Prepares the folder; gives source and destination.
    std::pair<std::string, std::string> (*prepare)(const TempFolder&);
    std::uint32_t code;
};

void PrintTo(const CopyFailureRow& row, std::ostream* out) { *out << row.name; }

const CopyFailureRow kCopyFailures[] = {
    {"DestinationExists",
     [](const TempFolder& f) {
         WriteBytes(f / "src", "new");
         WriteBytes(f / "dst", "old");
         return std::pair{f / "src", f / "dst"};
     },
     kErrorFileExists},
    {"OntoItself",
     [](const TempFolder& f) {
         WriteBytes(f / "src", "new");
         return std::pair{f / "src", f / "src"};
     },
     kErrorFileExists},
    {"SourceMissing", [](const TempFolder& f) { return std::pair{f / "gone", f / "dst"}; }, kErrorFileNotFound},
    {"SourceIsFolder", [](const TempFolder& f) { return std::pair{f.Path(), f / "dst"}; }, kErrorAccessDenied},
#ifndef _WIN32
    {"SourceIsFifo",
     [](const TempFolder& f) {
         ::mkfifo((f / "fifo").c_str(), 0600);
         return std::pair{f / "fifo", f / "dst"};
     },
     kErrorAccessDenied},
    {"SourceIsDevice", [](const TempFolder& f) { return std::pair{std::string("/dev/zero"), f / "dst"}; },
     kErrorAccessDenied},
    {"DestinationIsLink",
     [](const TempFolder& f) {
         WriteBytes(f / "src", "new");
         WriteBytes(f / "victim", "victim");
         std::filesystem::create_symlink(f / "victim", f / "dst");
         return std::pair{f / "src", f / "dst"};
     },
     kErrorFileExists},
#else
    {"SourceIsDeviceName", [](const TempFolder& f) { return std::pair{f / "NUL", f / "dst"}; }, kErrorAccessDenied},
    {"SourceHeldForWriting",
     [](const TempFolder& f) {
         return std::pair{ravo::testing::HeldOpen(f / "src", GENERIC_WRITE, FILE_SHARE_READ), f / "dst"};
     },
     32},
#endif
    {"DestinationFolderMissing",
     [](const TempFolder& f) {
         WriteBytes(f / "src", "new");
         return std::pair{f / "src", JoinPath(f / "no", "dst")};
     },
     kErrorPathNotFound},
};

class CopyFailureTest : public ::testing::TestWithParam<CopyFailureRow> {};

TEST_P(CopyFailureTest, FailsAndChangesNothing)
{
    TempFolder folder;
    const auto [source, destination] = GetParam().prepare(folder);
    const bool destinationExisted = Exists(destination);
    const std::string before = destinationExisted ? ReadBytes(destination) : "";
#ifdef _WIN32
    EXPECT_FALSE(CopyFileNoOverwrite(source, destination));
    ravo::testing::ReleaseHeldFiles();
#else
    ::alarm(10); // a copy that waits ends the test binary
    EXPECT_FALSE(CopyFileNoOverwrite(source, destination));
    ::alarm(0);
#endif
    EXPECT_EQ(GetLastError(), GetParam().code);
    EXPECT_EQ(Exists(destination), destinationExisted);
    if (destinationExisted) {
        EXPECT_EQ(ReadBytes(destination), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CopyFailureTest, ::testing::ValuesIn(kCopyFailures),
                         [](const auto& row) { return std::string(row.param.name); });

#ifndef _WIN32
TEST(CopyFileNoOverwriteTest, CopyKeepsAccessListAndAttributes)
{
    TempFolder folder;
    WriteBytes(folder / "src", "content");
    SetPermissionBits(folder / "src", 0640);
    ravo::testing::SetAccessList(folder / "src", "u::rw-,u:4242:rw-,g::---,m::rw-,o::---");
    ASSERT_EQ(::setxattr((folder / "src").c_str(), "user.note", "kept", 4, 0), 0);
    ASSERT_TRUE(CopyFileNoOverwrite(folder / "src", folder / "copy"));
    EXPECT_EQ(ravo::testing::AccessList(folder / "copy"), ravo::testing::AccessList(folder / "src"));
    EXPECT_EQ(ravo::testing::Attribute(folder / "copy", "user.note"), "kept");
    EXPECT_EQ(PermissionBits(folder / "copy"), PermissionBits(folder / "src"));
}

// Past the limit the copy fails; or, where the signal is not ignored, the
// process is killed half-way through it.
void CopyBeyondFileSizeLimit(const std::string& source, const std::string& destination, bool killed = false)
{
    std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
    const struct rlimit limit = {100000, 100000};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(10);
    std::_Exit(!CopyFileNoOverwrite(source, destination) && GetLastError() == kErrorFileTooLarge ? 0 : 11);
}

TEST(CopyFileNoOverwriteTest, FailedCopyRemovesItsPartialDestination)
{
    TempFolder folder;
    WriteBytes(folder / "big", std::string(300000, 'b'));
    EXPECT_EXIT(CopyBeyondFileSizeLimit(folder / "big", folder / "copy"), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(Exists(folder / "copy"));
    EXPECT_EQ(ReadBytes(folder / "big").size(), 300000u);
}

TEST(CopyFileNoOverwriteTest, KilledCopyNeverStandsUnderItsName)
{
    TempFolder folder;
    WriteBytes(folder / "big", std::string(300000, 'b'));
    EXPECT_EXIT(CopyBeyondFileSizeLimit(folder / "big", folder / "copy", true), ::testing::KilledBySignal(SIGXFSZ),
                "");
    EXPECT_FALSE(Exists(folder / "copy"));
}
#endif

} // namespace
} // namespace ravo::platform
