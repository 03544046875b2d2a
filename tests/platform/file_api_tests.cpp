// The file calls: error numbers, the read-only attribute, the block buffers
// below the callers' reads and writes, file types and deleting.
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/file_api.h"
#include "tests/engine/test_files.h"

namespace ravo::platform {
namespace {

using ravo::testing::Exists;
using ravo::testing::ReadBytes;
using ravo::testing::SetPermissionBits;
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
    {"ComponentTooLong", [](const TempFolder& f) { return f / std::string(300, 'x'); }, FileAccess::Read, 206},
};

class OpenTest : public ::testing::TestWithParam<OpenRow> {};

TEST_P(OpenTest, OpensOrFailsWithCode)
{
    TempFolder folder;
    const std::string path = GetParam().prepare(folder);
    SetLastError(0);
    const FileHandle file = CreateFile(path.c_str(), GetParam().access);
    if (GetParam().code == 0) {
        ASSERT_NE(file, kInvalidHandle);
        EXPECT_TRUE(CloseHandle(file));
    } else {
        EXPECT_EQ(file, kInvalidHandle);
        EXPECT_EQ(GetLastError(), GetParam().code);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, OpenTest, ::testing::ValuesIn(kOpens),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CreateFileTest, ReadOnlyFileKeepsItsContentWhenCreationFails)
{
    TempFolder folder;
    const std::string path = ReadOnlyFile(folder);
    EXPECT_EQ(CreateFile(path.c_str(), FileAccess::Write), kInvalidHandle);
    EXPECT_EQ(ReadBytes(path), "kept");
}

TEST(CreateFileTest, WritingEmptiesAnExistingFile)
{
    TempFolder folder;
    const std::string path = PlainFile(folder);
    const FileHandle file = CreateFile(path.c_str(), FileAccess::Write);
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadBytes(path), "");
}

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

TEST(ReadWriteTest, FullDeviceFailsWith112)
{
    const FileHandle file = CreateFile("/dev/full", FileAccess::Write);
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_FALSE(WriteFile(file, "abc", 3));
    EXPECT_EQ(GetLastError(), kErrorDiskFull);
    EXPECT_TRUE(CloseHandle(file));
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

TEST(GetFileTypeTest, TellsDeviceDiskAndPipeApart)
{
    TempFolder folder;
    const FileHandle device = CreateFile("/dev/null", FileAccess::Write);
    EXPECT_EQ(GetFileType(device), kFileTypeChar);
    EXPECT_TRUE(CloseHandle(device));
    const FileHandle disk = CreateFile(PlainFile(folder).c_str(), FileAccess::Read);
    EXPECT_EQ(GetFileType(disk), kFileTypeDisk);
    EXPECT_TRUE(CloseHandle(disk));
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FileHandle pipe = CreateFile(fifo.c_str(), FileAccess::Read); // must not wait for a writer
    ASSERT_NE(pipe, kInvalidHandle);
    EXPECT_EQ(GetFileType(pipe), kFileTypePipe);
    EXPECT_TRUE(CloseHandle(pipe));
    EXPECT_EQ(GetFileType(kInvalidHandle), kFileTypeUnknown);
}

// ---- Deleting --------------------------------------------------------------------

TEST(DeleteFileTest, DeletesOnlyWritableFiles)
{
    TempFolder folder;
    const std::string plain = PlainFile(folder);
    const std::string readOnly = ReadOnlyFile(folder);
    EXPECT_TRUE(DeleteFile(plain.c_str()));
    EXPECT_FALSE(Exists(plain));
    EXPECT_FALSE(DeleteFile(plain.c_str()));
    EXPECT_EQ(GetLastError(), kErrorFileNotFound);
    EXPECT_FALSE(DeleteFile(readOnly.c_str()));
    EXPECT_EQ(GetLastError(), kErrorAccessDenied);
    EXPECT_TRUE(Exists(readOnly));
    EXPECT_TRUE(IsReadOnly(readOnly.c_str()));
    EXPECT_FALSE(DeleteFile(folder.Path().c_str()));
    EXPECT_TRUE(Exists(folder.Path()));
}

} // namespace
} // namespace ravo::platform
