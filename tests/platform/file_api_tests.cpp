// The file calls' contract on every system: what a name may hold for reading
// and for writing, what an opened file was, the block buffers below the
// callers' reads and writes, and file types. What only one system has lives
// beside it (file_api_posix_tests.cpp) or in rows of its own here.
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/file_api.h"
#include "tests/support/files.h"

namespace ravo::platform {
namespace {

using ravo::testing::ReadBytes;
using ravo::testing::TempFolder;
using ravo::testing::WriteBytes;

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
    ravo::testing::MakeReadOnly(f / "ro.txt");
    return f / "ro.txt";
}

#ifndef _WIN32
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
#endif

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
#ifndef _WIN32
    {"FifoForReading", MakeFifo, FileAccess::Read, 5},
    {"DeviceForReading", [](const TempFolder&) { return std::string("/dev/null"); }, FileAccess::Read, 5},
    {"LinkForReading", [](const TempFolder& f) { return LinkTo(f, PlainFile(f)); }, FileAccess::Read, 0},
    {"DanglingLinkForReading", [](const TempFolder& f) { return LinkTo(f, f / "gone"); }, FileAccess::Read, 2},
    {"LinkToFolderForReading", [](const TempFolder& f) { return LinkTo(f, f.Path()); }, FileAccess::Read, 5},
    {"FifoForWriting", MakeFifo, FileAccess::Write, 0},
    {"LinkForWriting", [](const TempFolder& f) { return LinkTo(f, ReadOnlyFile(f)); }, FileAccess::Write, 0},
#else
    // A system file is no leftover temporary file, whatever its name.
    {"SystemFileForWriting",
     [](const TempFolder& f) {
         WriteBytes(f / "system.TMP", "kept");
         ::SetFileAttributesA((f / "system.TMP").c_str(), FILE_ATTRIBUTE_SYSTEM);
         return f / "system.TMP";
     },
     FileAccess::Write, 5},
#endif
    {"ComponentTooLong", [](const TempFolder& f) { return f / std::string(300, 'x'); }, FileAccess::Read, 206},
};

class OpenTest : public ::testing::TestWithParam<OpenRow> {};

TEST_P(OpenTest, OpensOrFailsWithCode)
{
    TempFolder folder;
    const std::string path = GetParam().prepare(folder);
    SetLastError(0);
#ifndef _WIN32
    ::alarm(10); // an open that waits ends the test binary
#endif
    const FileHandle file = CreateFile(path.c_str(), GetParam().access);
#ifndef _WIN32
    ::alarm(0);
#endif
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

// ---- What an opened file was -------------------------------------------------

// The questions the pass asks of a listed file: whether it may be replaced
// and how much it adds to a batch.
struct FactsRow {
    const char* name;
    // The permission bits on POSIX, the attributes on Windows.
    std::uint32_t bits;
    std::uint64_t size;
    bool readOnly;
};

void PrintTo(const FactsRow& row, std::ostream* out) { *out << row.name; }

// Sparse: a size past 4 GiB costs no disk.
void ResizeSparse(const std::string& path, std::uint64_t size)
{
#ifdef _WIN32
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    DWORD returned = 0;
    // Where the file system has no sparse files, the size is set all the same.
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool resized = ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    if (!resized)
        throw std::runtime_error("cannot resize " + path);
#else
    std::filesystem::resize_file(path, size);
#endif
}

void SetBits(const std::string& path, std::uint32_t bits)
{
#ifdef _WIN32
    if (!::SetFileAttributesA(path.c_str(), bits))
        throw std::runtime_error("cannot set the attributes of " + path);
#else
    ravo::testing::SetPermissionBits(path, bits);
#endif
}

const FactsRow kFacts[] = {
#ifdef _WIN32
    {"Writable", FILE_ATTRIBUTE_NORMAL, 0, false},
    {"ReadOnlyAttribute", FILE_ATTRIBUTE_READONLY, 70000, true},
    {"HiddenAndSystemAreNotReadOnly", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 5000000000, false},
#else
    {"OwnerMayWrite", 0600, 0, false},
    {"OwnerMayNotWrite", 0444, 70000, true},
    {"OnlyOthersMayWrite", 0466, 5000000000, true},
#endif
};

class FactsTest : public ::testing::TestWithParam<FactsRow> {};

TEST_P(FactsTest, AnswerForTheFileOpened)
{
    const FactsRow& row = GetParam();
    TempFolder folder;
    WriteBytes(folder / "file", "");
    ResizeSparse(folder / "file", row.size);
    SetBits(folder / "file", row.bits);
    const FileHandle file = CreateFile((folder / "file").c_str(), FileAccess::Read);
    ASSERT_NE(file, kInvalidHandle);
    EXPECT_TRUE(FactsOf(file).IsRegular());
    EXPECT_EQ(FactsOf(file).IsReadOnly(), row.readOnly);
    EXPECT_EQ(FactsOf(file).Size(), row.size);
    EXPECT_TRUE(CloseHandle(file));
}

INSTANTIATE_TEST_SUITE_P(Rows, FactsTest, ::testing::ValuesIn(kFacts),
                         [](const auto& row) { return std::string(row.param.name); });

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

// ---- File types ----------------------------------------------------------------

#ifndef _WIN32
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
#endif

// On Windows the standard streams' kinds are rows of StandardStreamTest.
TEST(GetFileTypeTest, TellsDeviceDiskAndPipeApart)
{
#ifndef _WIN32
    EXPECT_EXIT(TypesOfStandardStreams(), ::testing::ExitedWithCode(0), "");
#endif
    TempFolder folder;
    const FileHandle disk = CreateFile(PlainFile(folder).c_str(), FileAccess::Read);
    EXPECT_EQ(GetFileType(disk), kFileTypeDisk);
    EXPECT_TRUE(CloseHandle(disk));
    EXPECT_EQ(GetFileType(kInvalidHandle), kFileTypeUnknown);
}

#ifdef _WIN32
// An empty name opens the standard input or output, whatever stands there:
// the layer's own copy of the handle, of the kind the system says. A stream
// that is no handle fails with 6.
struct StreamRow {
    const char* name;
    FileAccess access;
    // What stands in for the stream; an input holds "abc" and then ends.
    HANDLE (*make)(const TempFolder&);
    int type;
    std::uint32_t code; // 0: the open succeeds
};

void PrintTo(const StreamRow& row, std::ostream* out) { *out << row.name; }

HANDLE OpenExisting(const std::string& path, DWORD access)
{
    const HANDLE handle = ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    return handle;
}

HANDLE PipeHoldingAbc(const TempFolder&)
{
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    DWORD written = 0;
    if (!::CreatePipe(&reader, &writer, nullptr, 0) || !::WriteFile(writer, "abc", 3, &written, nullptr))
        throw std::runtime_error("cannot make a pipe");
    ::CloseHandle(writer);
    return reader;
}

const StreamRow kStreams[] = {
    {"NullDeviceAsOutput", FileAccess::Write, [](const TempFolder&) { return OpenExisting("NUL", GENERIC_WRITE); },
     kFileTypeChar, 0},
    {"PipeAsInput", FileAccess::Read, PipeHoldingAbc, kFileTypePipe, 0},
    {"DiskFileAsInput", FileAccess::Read,
     [](const TempFolder& f) {
         WriteBytes(f / "in.txt", "abc");
         return OpenExisting(f / "in.txt", GENERIC_READ);
     },
     kFileTypeDisk, 0},
    // Not the process itself, which the same value names for other calls.
    {"InvalidStandardOutput", FileAccess::Write, [](const TempFolder&) { return INVALID_HANDLE_VALUE; },
     kFileTypeUnknown, 6},
};

class StandardStreamTest : public ::testing::TestWithParam<StreamRow> {};

TEST_P(StandardStreamTest, OpensAsWhatItIsOrFailsWithCode)
{
    const StreamRow& row = GetParam();
    TempFolder folder;
    const DWORD which = row.access == FileAccess::Read ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE;
    const HANDLE stream = row.make(folder);
    const HANDLE saved = ::GetStdHandle(which);
    ::SetStdHandle(which, stream);
    SetLastError(0);
    const FileHandle file = CreateFile("", row.access);
    ::SetStdHandle(which, saved);
    // What the layer holds is its own: it works on after the stream's handle is gone.
    if (stream != nullptr && stream != INVALID_HANDLE_VALUE)
        ::CloseHandle(stream);
    if (row.code != 0) {
        EXPECT_EQ(file, kInvalidHandle);
        EXPECT_EQ(GetLastError(), row.code);
        return;
    }
    ASSERT_NE(file, kInvalidHandle) << GetLastError();
    EXPECT_EQ(GetFileType(file), row.type);
    if (row.access == FileAccess::Read) {
        // A pipe whose writer has gone ends there, as a file ends.
        std::string seen;
        char block[128];
        std::size_t got = 0;
        bool read = true;
        while ((read = ReadFile(file, block, sizeof block, got)) && got > 0)
            seen.append(block, got);
        EXPECT_TRUE(read) << GetLastError();
        EXPECT_EQ(seen, "abc");
    } else {
        EXPECT_TRUE(WriteFile(file, "abc", 3));
    }
    EXPECT_TRUE(CloseHandle(file));
}

INSTANTIATE_TEST_SUITE_P(Rows, StandardStreamTest, ::testing::ValuesIn(kStreams),
                         [](const auto& row) { return std::string(row.param.name); });
#endif

} // namespace
} // namespace ravo::platform
