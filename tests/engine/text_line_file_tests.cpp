// The byte rules of the line-oriented text file, its own result codes and
// the platform failures it reports.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "engine/in_out_error.h"
#include "engine/text_line_file.h"
#include "tests/support/files.h"

namespace ravo {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;


class TextLineFileTest : public ::testing::Test {
protected:
    void SetUp() override { PendingIoResult = 0; }
    void TearDown() override
    {
        PendingIoResult = 0;
#ifdef _WIN32
        testing::ReleaseHeldFiles();
#endif
    }

    // Reads `input` line by line as the replacement pass does and writes every
    // line back unchanged; gives the written bytes.
    std::string CopyThrough(const std::string& input)
    {
        const std::string source = folder_ / "in.txt";
        const std::string target = folder_ / "out.txt";
        WriteBytes(source, input);
        TextLineFile reader;
        TextLineFile writer;
        reader.BindName(source);
        reader.OpenForReading();
        writer.BindName(target);
        writer.CreateForWriting();
        std::string line;
        while (!reader.AtEnd()) {
            reader.ReadLineText(line);
            reader.SkipLineBreak();
            writer.WriteText(line);
            writer.WriteLineBreak();
        }
        writer.CloseLineFile();
        reader.CloseLineFile();
        EXPECT_EQ(PendingIoResult, 0);
        return ReadBytes(target);
    }

    // Opens `reader` on a fresh file holding `content`; gives its path.
    std::string OpenReader(TextLineFile& reader, const std::string& content)
    {
        const std::string path = folder_ / "f.txt";
        WriteBytes(path, content);
        reader.BindName(path);
        reader.OpenForReading();
        return path;
    }

    // The input has ended and stays ended: the end test says so twice and a
    // read between gives an empty line.
    void ExpectInputEnded(TextLineFile& reader)
    {
        EXPECT_TRUE(reader.AtEnd());
        std::string line;
        reader.ReadLineText(line);
        EXPECT_EQ(line, "");
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(PendingIoResult, 0);
    }

    TempFolder folder_;
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

struct ByteRule {
    const char* name;
    std::string input;
    std::string output;
};

void PrintTo(const ByteRule& row, std::ostream* out) { *out << row.name; }

const ByteRule kByteRules[] = {
    {"EmptyFileStaysEmpty", "", ""},
    {"LfEndsBecomeCrLf", "a\nb\n", "a\r\nb\r\n"},
    {"CrLfEndsAreKept", "a\r\nb\r\n", "a\r\nb\r\n"},
    {"LastLineWithoutBreakGetsOne", "abc", "abc\r\n"},
    {"FinalBreakAddsNoEmptyLine", "abc\r\n", "abc\r\n"},
    {"TwoBreaksGiveAnEmptyLine", "a\r\n\r\nb", "a\r\n\r\nb\r\n"},
    {"LoneCrIsDropped", std::string("a\rb\r\n"), "ab\r\n"},
    {"LfCrIsLfThenDroppedCr", "a\n\rb\n", "a\r\nb\r\n"},
    {"CrCrLfIsOneBreak", "a\r\r\nb", "a\r\nb\r\n"},
    {"CrAtEndOfFileIsDropped", "abc\r", "abc\r\n"},
    {"LoneCrAloneIsAnEmptyLine", "a\n\r", "a\r\n\r\n"},
    {"EndMarkAtStartEndsInput", "\x1a" "abc\r\n", ""},
    {"EndMarkAfterBreakEndsInput", "a\r\n\x1a" "b\r\nc", "a\r\n"},
    {"EndMarkAfterLfEndsInput", "a\n\x1a", "a\r\n"},
    {"EndMarkInsideLineStays", "ab\x1a" "cd\nx", "ab\x1a" "cd\r\nx\r\n"},
    {"EndMarkAtLineEndStays", "ab\x1a\r\nc", "ab\x1a\r\nc\r\n"},
    {"EndMarkAfterDroppedCrStays", "\r\x1a\n", "\x1a\r\n"},
    {"EndMarkInsideLineAtBlockStartStays", Repeat('x', 128) + "\x1a" "y\r\n",
     Repeat('x', 128) + "\x1a" "y\r\n"},
    {"EndMarkAtBlockStartAfterBreakEndsInput", Repeat('x', 126) + "\r\n\x1a" "tail", Repeat('x', 126) + "\r\n"},
    {"EndMarkAtPieceStartStays", Repeat('x', 255) + "\x1a" "y", Repeat('x', 255) + "\x1a" "y\r\n"},
    {"NulAndHighBytesAreKept", std::string("a\0b\x80\xff\xe1\r\n", 8), std::string("a\0b\x80\xff\xe1\r\n", 8)},
    {"LineOf255Bytes", Repeat('a', 255) + "\n", Repeat('a', 255) + "\r\n"},
    {"LineOf256Bytes", Repeat('a', 256) + "\n", Repeat('a', 256) + "\r\n"},
    {"LineOf510Bytes", Repeat('a', 510) + "\r\nb", Repeat('a', 510) + "\r\nb\r\n"},
    {"LineOfSeveralKilobytes", Repeat('q', 9000), Repeat('q', 9000) + "\r\n"},
    {"CrLfAcrossBlockBoundary", Repeat('x', 127) + "\r\ny", Repeat('x', 127) + "\r\ny\r\n"},
    {"LoneCrAtBlockBoundary", Repeat('x', 127) + "\ry", Repeat('x', 127) + "y\r\n"},
    {"CrLfAcrossPieceBoundary", Repeat('x', 255) + "\r\ny", Repeat('x', 255) + "\r\ny\r\n"},
    {"LoneCrAtPieceBoundaryIsNotCounted", Repeat('x', 254) + "\r" + Repeat('y', 3), Repeat('x', 254) + "yyy\r\n"},
};

class ByteRulesTest : public TextLineFileTest, public ::testing::WithParamInterface<ByteRule> {};

TEST_P(ByteRulesTest, CopyGivesExpectedBytes)
{
    EXPECT_EQ(CopyThrough(GetParam().input), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(Rows, ByteRulesTest, ::testing::ValuesIn(kByteRules),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(TextLineFileTest, EndTestReadsNothingAway)
{
    TextLineFile reader;
    OpenReader(reader, "ab\nc");
    std::string line;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(reader.AtEnd());
    reader.ReadLineText(line);
    EXPECT_EQ(line, "ab");
    reader.ReadLineText(line); // the break is still ahead: an empty piece
    EXPECT_EQ(line, "");
    reader.SkipLineBreak();
    reader.ReadLineText(line);
    EXPECT_EQ(line, "c");
    reader.SkipLineBreak();
    ExpectInputEnded(reader);
}

// Bytes another program appends once the end was met are not read: the input
// ended there, and a further test or read must not take it up again.
TEST_F(TextLineFileTest, EndOfInputStaysReachedWhenTheFileGrows)
{
    TextLineFile reader;
    const std::string path = OpenReader(reader, "a\nlast");
    std::string line;
    reader.ReadLineText(line);
    reader.SkipLineBreak();
    reader.ReadLineText(line); // a line without a break ends at the physical end
    ASSERT_EQ(line, "last");
    std::ofstream(path, std::ios::binary | std::ios::app) << "\nmore\n";
    reader.SkipLineBreak();
    ExpectInputEnded(reader);
}

TEST_F(TextLineFileTest, EndMarkIsNeverConsumed)
{
    TextLineFile reader;
    OpenReader(reader, "a\n\x1a" "b\n");
    std::string line;
    reader.ReadLineText(line);
    reader.SkipLineBreak();
    EXPECT_TRUE(reader.AtEnd());
    reader.ReadLineText(line);
    reader.SkipLineBreak();
    EXPECT_EQ(line, "");
    EXPECT_TRUE(reader.AtEnd());
}

TEST_F(TextLineFileTest, WrittenTextIsExactlyItsBytes)
{
    const std::string path = folder_ / "w.txt";
    const std::string chunks[] = {"", "abc", Repeat('z', 125), Repeat('y', 128), std::string("\0\r\n\x1a", 4),
                                  Repeat('w', 1000)};
    std::string expected;
    TextLineFile writer;
    writer.BindName(path);
    writer.CreateForWriting();
    for (const std::string& chunk : chunks) {
        writer.WriteText(chunk);
        expected += chunk;
    }
    writer.WriteLineBreak();
    writer.CloseLineFile();
    EXPECT_EQ(PendingIoResult, 0);
    EXPECT_EQ(ReadBytes(path), expected + "\r\n");
}

TEST_F(TextLineFileTest, CreatingEmptiesAnExistingFile)
{
    const std::string path = folder_ / "w.txt";
    WriteBytes(path, "old content that is long");
    TextLineFile writer;
    writer.BindName(path);
    writer.CreateForWriting();
    writer.WriteText("new");
    writer.CloseLineFile();
    EXPECT_EQ(ReadBytes(path), "new");
}

// ---- Result codes -----------------------------------------------------------

enum class Setup { Unbound, Closed, Reading, Writing };

struct OwnCodeRow {
    const char* name;
    Setup setup;
    void (*operation)(TextLineFile&);
    std::int32_t code;
};

void PrintTo(const OwnCodeRow& row, std::ostream* out) { *out << row.name; }

const OwnCodeRow kOwnCodes[] = {
    {"OpenUnboundForReading", Setup::Unbound, [](TextLineFile& f) { f.OpenForReading(); }, kIoUnbound},
    {"OpenUnboundForWriting", Setup::Unbound, [](TextLineFile& f) { f.CreateForWriting(); }, kIoUnbound},
    {"CloseUnbound", Setup::Unbound, [](TextLineFile& f) { f.CloseLineFile(); }, kIoNotOpen},
    {"CloseClosed", Setup::Closed, [](TextLineFile& f) { f.CloseLineFile(); }, kIoNotOpen},
    {"LineBreakOnClosed", Setup::Closed, [](TextLineFile& f) { f.WriteLineBreak(); }, kIoNotOpen},
    {"EndTestOnClosed", Setup::Closed, [](TextLineFile& f) { EXPECT_TRUE(f.AtEnd()); }, kIoNotOpenForReading},
    {"ReadLineOnWriter", Setup::Writing,
     [](TextLineFile& f) {
         std::string line = "stale";
         f.ReadLineText(line);
         EXPECT_EQ(line, "");
     },
     kIoNotOpenForReading},
    {"SkipBreakOnClosed", Setup::Closed, [](TextLineFile& f) { f.SkipLineBreak(); }, kIoNotOpenForReading},
    {"WriteTextOnReader", Setup::Reading, [](TextLineFile& f) { f.WriteText("x"); }, kIoNotOpenForWriting},
    {"LineBreakOnReader", Setup::Reading, [](TextLineFile& f) { f.WriteLineBreak(); }, kIoNotOpenForWriting},
    {"WriteTextOnClosed", Setup::Closed, [](TextLineFile& f) { f.WriteText("x"); }, kIoNotOpenForWriting},
};

class OwnCodesTest : public TextLineFileTest, public ::testing::WithParamInterface<OwnCodeRow> {};

TEST_P(OwnCodesTest, RecordsItsCode)
{
    const std::string path = folder_ / "f.txt";
    WriteBytes(path, "line\n");
    TextLineFile file;
    const OwnCodeRow& row = GetParam();
    if (row.setup != Setup::Unbound)
        file.BindName(path);
    if (row.setup == Setup::Reading)
        file.OpenForReading();
    if (row.setup == Setup::Writing)
        file.CreateForWriting();
    ASSERT_EQ(PendingIoResult, 0);
    row.operation(file);
    EXPECT_EQ(PendingIoResult, row.code);
}

INSTANTIATE_TEST_SUITE_P(Rows, OwnCodesTest, ::testing::ValuesIn(kOwnCodes),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(TextLineFileTest, SuccessLeavesAnEarlierCodeInPlace)
{
    const std::string path = folder_ / "f.txt";
    WriteBytes(path, "x\n");
    PendingIoResult = 77;
    TextLineFile reader;
    reader.BindName(path);
    reader.OpenForReading();
    std::string line;
    reader.ReadLineText(line);
    reader.CloseLineFile();
    EXPECT_EQ(PendingIoResult, 77);
}

// A name of exactly `length` bytes under the folder, for a file that does not
// exist in folders that do; every part stays within the 255 bytes a name in
// a folder may have.
std::string MissingFileNamed(const TempFolder& folder, std::size_t length)
{
    std::string path = folder.Path();
    while (length - path.size() > 256) {
        path = platform::JoinPath(path, std::string(200, 'd'));
        if (!std::filesystem::create_directory(path))
            throw std::runtime_error("cannot make a folder");
    }
    return platform::JoinPath(path, std::string(length - path.size() - 1, 'n'));
}

struct OpenFailureRow {
    const char* name;
    std::string (*prepare)(const TempFolder&);
    bool forWriting;
    std::int32_t code;
};

void PrintTo(const OpenFailureRow& row, std::ostream* out) { *out << row.name; }

const OpenFailureRow kOpenFailures[] = {
    {"MissingFile", [](const TempFolder& f) { return f / "missing.txt"; }, false, 2},
    {"MissingFolder", [](const TempFolder& f) { return f / "nofolder/missing.txt"; }, false, 3},
    {"MissingFolderForWriting", [](const TempFolder& f) { return f / "nofolder/new.TMP"; }, true, 3},
    {"FolderAsFileForReading", [](const TempFolder& f) { return f.Path(); }, false, 5},
    {"FolderAsFileForWriting", [](const TempFolder& f) { return f.Path(); }, true, 5},
    {"ReadOnlyFileForWriting",
     [](const TempFolder& f) {
         const std::string path = f / "ro.TMP";
         WriteBytes(path, "keep");
         testing::MakeReadOnly(path);
         return path;
     },
     true, 5},
    {"ComponentTooLong", [](const TempFolder& f) { return f / std::string(300, 'n'); }, false, 206},
    {"NameLongerThanTheField",
     [](const TempFolder& f) { return f / std::string(platform::PathSizeLimit(), 'n'); }, true, 206},
    {"LongestNameReachesTheSystem",
     [](const TempFolder& f) { return MissingFileNamed(f, platform::PathSizeLimit() - 1); }, false, 2},
    {"NameFillingTheFieldIsTooLong",
     [](const TempFolder& f) { return MissingFileNamed(f, platform::PathSizeLimit()); }, false, 206},
    {"HugeName", [](const TempFolder&) { return std::string(100000, '/'); }, false, 206},
    {"NameHoldingNul", [](const TempFolder& f) { return f / std::string("a\0b", 3); }, false, 123},
#ifdef _WIN32
    {"FileHeldWithoutSharing",
     [](const TempFolder& f) { return testing::HeldOpen(f / "held.txt", GENERIC_READ, 0); }, false, 32},
    {"FileHeldForWritingSharingAll",
     [](const TempFolder& f) { return testing::HeldOpen(f / "held.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE); },
     false, 32},
    {"TemporaryHeldWithoutSharing",
     [](const TempFolder& f) { return testing::HeldOpen(f / "held.TMP", GENERIC_READ, 0); }, true, 32},
    {"HiddenFileForWriting",
     [](const TempFolder& f) {
         const std::string path = f / "hidden.TMP";
         WriteBytes(path, "keep");
         ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
         return path;
     },
     true, 5},
    {"DriveRootForReading", [](const TempFolder&) { return std::string("C:\\"); }, false, 5},
    {"DeviceNameForReading", [](const TempFolder& f) { return f / "NUL"; }, false, 5},
    {"DeviceNameForWriting", [](const TempFolder& f) { return f / "CON"; }, true, 5},
    {"MissingDrive", [](const TempFolder&) { return std::string("Q:\\a.txt"); }, false, 3},
#endif
};

class OpenFailuresTest : public TextLineFileTest, public ::testing::WithParamInterface<OpenFailureRow> {};

TEST_P(OpenFailuresTest, FailsClosedWithCode)
{
    const OpenFailureRow& row = GetParam();
    TextLineFile file;
    file.BindName(row.prepare(folder_));
    if (row.forWriting)
        file.CreateForWriting();
    else
        file.OpenForReading();
    EXPECT_EQ(PendingIoResult, row.code);
    EXPECT_EQ(file.CurrentMode(), TextLineFile::Mode::Closed);
}

INSTANTIATE_TEST_SUITE_P(Rows, OpenFailuresTest, ::testing::ValuesIn(kOpenFailures),
                         [](const auto& row) { return std::string(row.param.name); });

#ifdef _WIN32
// Another program's lock on a range of the file forbids reading it: the read
// that meets the range fails with the system's code, and the input ends.
TEST_F(TextLineFileTest, RangeLockedByAnotherFailsTheReadWith33)
{
    const std::string path = testing::HeldOpen(folder_ / "locked.txt", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(::LockFile(testing::heldFiles.back(), 0, 0, 100, 0));
    TextLineFile reader;
    reader.BindName(path);
    reader.OpenForReading();
    ASSERT_EQ(PendingIoResult, 0);
    const bool atEnd = reader.AtEnd();
    const std::int32_t code = PendingIoResult;
    ::UnlockFile(testing::heldFiles.back(), 0, 0, 100, 0);
    if (code == 0 && testing::RunsUnderWine())
        GTEST_SKIP() << "wine lets a locked range be read";
    EXPECT_TRUE(atEnd);
    EXPECT_EQ(code, 33);
}
#endif

TEST_F(TextLineFileTest, ReadOnlyFileIsReadAndKeptWhenCreationFails)
{
    const std::string path = folder_ / "ro.txt";
    WriteBytes(path, "keep\n");
    testing::MakeReadOnly(path);
    TextLineFile file;
    file.BindName(path);
    file.OpenForReading();
    std::string line;
    file.ReadLineText(line);
    file.CloseLineFile();
    EXPECT_EQ(line, "keep");
    EXPECT_EQ(PendingIoResult, 0);
    file.CreateForWriting();
    EXPECT_EQ(PendingIoResult, 5);
    EXPECT_EQ(ReadBytes(path), "keep\n");
}

#ifndef _WIN32
// In a child process whose standard output is the full device: a character
// device gets each line at its end, so the failure shows there. A device is
// reached through the standard output only; by name the program never writes
// one.
void WriteLineToFullDevice()
{
    if (!testing::RedirectStandardOutput("/dev/full"))
        std::_Exit(10);
    TextLineFile writer;
    writer.BindName("");
    writer.CreateForWriting();
    if (PendingIoResult != 0)
        std::_Exit(11);
    writer.WriteText("abc");
    if (PendingIoResult != 0)
        std::_Exit(12);
    writer.WriteLineBreak();
    std::_Exit(PendingIoResult == 112 ? 0 : 13);
}

TEST_F(TextLineFileTest, FullDeviceFailsAtTheLineEndWith112)
{
    EXPECT_EXIT(WriteLineToFullDevice(), ::testing::ExitedWithCode(0), "");
}

void FailDrainAtCloseThenCloseAgain()
{
    if (!testing::RedirectStandardOutput("/dev/full"))
        std::_Exit(10);
    TextLineFile writer;
    writer.BindName("");
    writer.CreateForWriting();
    writer.WriteText("abc");
    writer.CloseLineFile();
    if (PendingIoResult != 112 || writer.CurrentMode() != TextLineFile::Mode::Writing)
        std::_Exit(11);
    PendingIoResult = 0;
    writer.CloseLineFile();
    std::_Exit(PendingIoResult == 0 && writer.CurrentMode() == TextLineFile::Mode::Closed ? 0 : 12);
}

TEST_F(TextLineFileTest, FailedDrainAtCloseKeepsFileOpenUntilClosedAgain)
{
    EXPECT_EXIT(FailDrainAtCloseThenCloseAgain(), ::testing::ExitedWithCode(0), "");
}

// In a child process whose standard input is a pipe holding two lines.
void ReadStandardInput()
{
    int ends[2];
    if (::pipe(ends) != 0 || ::write(ends[1], "one\ntwo", 7) != 7 || ::close(ends[1]) != 0 ||
        ::dup2(ends[0], STDIN_FILENO) < 0)
        std::_Exit(10);
    TextLineFile reader;
    reader.BindName("");
    reader.OpenForReading();
    std::string lines;
    for (std::string line; !reader.AtEnd(); lines += line + "|") {
        reader.ReadLineText(line);
        reader.SkipLineBreak();
    }
    reader.CloseLineFile();
    std::_Exit(lines == "one|two|" && PendingIoResult == 0 ? 0 : 11);
}

TEST_F(TextLineFileTest, EmptyNameReadsStandardInput)
{
    EXPECT_EXIT(ReadStandardInput(), ::testing::ExitedWithCode(0), "");
}

// ---- Promises seen on a pipe ------------------------------------------------
//
// A regular file hides how the component moves its bytes, since the platform
// layer reads ahead and writes behind in large blocks; a pipe passes every
// call straight through, so what has left it or arrived in it shows the
// component's own 128-byte transfers. Named files must be regular, so the
// pipe stands in for the standard input or output, which an empty name opens.

// Bytes waiting in a pipe, asked through any of its descriptors.
int BytesInPipe(int fd)
{
    int waiting = -1;
    if (::ioctl(fd, FIONREAD, &waiting) != 0)
        return -1;
    return waiting;
}

// The standard input or output replaced by a pipe for the object's lifetime;
// the test holds the pipe's other end.
class StandardStreamOnPipe {
public:
    explicit StandardStreamOnPipe(int stream) : stream_(stream)
    {
        int ends[2];
        if ((saved_ = ::dup(stream)) < 0 || ::pipe(ends) != 0)
            throw std::runtime_error("cannot make a pipe");
        const bool input = stream == STDIN_FILENO;
        readEnd_ = input ? stream : ends[0];
        if (::dup2(ends[input ? 0 : 1], stream) < 0)
            throw std::runtime_error("cannot replace a standard stream");
        ::close(ends[input ? 0 : 1]);
        ours_ = ends[input ? 1 : 0];
    }
    ~StandardStreamOnPipe()
    {
        Restore();
        if (ours_ >= 0)
            ::close(ours_);
    }
    StandardStreamOnPipe(const StandardStreamOnPipe&) = delete;
    StandardStreamOnPipe& operator=(const StandardStreamOnPipe&) = delete;

    int Waiting() const { return BytesInPipe(readEnd_); }
    // Input: bytes for the component to read.
    void Put(const std::string& bytes)
    {
        if (::write(ours_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("cannot fill the pipe");
    }
    // Input: lets go of the writing end, so that a reader meets the end.
    void EndInput()
    {
        ::close(ours_);
        ours_ = -1;
    }
    // Output: what has arrived so far.
    std::string TakeAll()
    {
        std::string bytes(static_cast<std::size_t>(std::max(Waiting(), 0)), '\0');
        if (!bytes.empty() && ::read(readEnd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("cannot drain the pipe");
        return bytes;
    }
    // Puts the real stream back (before a check whose report must be seen).
    void Restore()
    {
        if (saved_ < 0)
            return;
        ::dup2(saved_, stream_);
        ::close(saved_);
        saved_ = -1;
    }

private:
    int stream_;
    int saved_ = -1;
    int readEnd_ = -1;
    int ours_ = -1;
};

TEST_F(TextLineFileTest, ReaderTakesItsInputIn128ByteBlocks)
{
    StandardStreamOnPipe input(STDIN_FILENO);
    const std::string second(150, 'x');
    const std::string third(300 - 4 - 152, 'z');
    input.Put("abc\n" + second + "\r\n" + third);
    TextLineFile reader;
    reader.BindName("");
    reader.OpenForReading();
    ASSERT_EQ(PendingIoResult, 0);
    ASSERT_EQ(input.Waiting(), 300);

    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(input.Waiting(), 172) << "the first end test takes one block";
    std::string line;
    reader.ReadLineText(line);
    reader.SkipLineBreak();
    EXPECT_EQ(line, "abc");
    EXPECT_EQ(input.Waiting(), 172) << "a line inside the block reads nothing more";
    reader.ReadLineText(line);
    reader.SkipLineBreak();
    EXPECT_EQ(line, second);
    EXPECT_EQ(input.Waiting(), 44) << "a line across the block boundary takes the next block";
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(input.Waiting(), 44);

    input.EndInput();
    reader.ReadLineText(line);
    EXPECT_EQ(line, third);
    EXPECT_TRUE(reader.AtEnd());
    reader.CloseLineFile();
    EXPECT_EQ(PendingIoResult, 0);
}

TEST_F(TextLineFileTest, WriterWritesAFullBufferOutAtOnce)
{
    // Test reports go to the standard output too, so what arrived is noted
    // while the pipe stands in, and checked once the real output is back.
    StandardStreamOnPipe output(STDOUT_FILENO);
    std::vector<int> arrived;
    TextLineFile writer;
    writer.BindName("");
    writer.CreateForWriting();
    const std::int32_t opened = PendingIoResult;
    writer.WriteText("abc");
    writer.WriteLineBreak();
    writer.WriteText(std::string(122, 'x'));
    arrived.push_back(output.Waiting());
    writer.WriteText("y");
    arrived.push_back(output.Waiting());
    writer.WriteText(std::string(300, 'w'));
    arrived.push_back(output.Waiting());
    writer.WriteText("tail");
    arrived.push_back(output.Waiting());
    writer.CloseLineFile();
    const std::string written = output.TakeAll();
    output.Restore();

    EXPECT_EQ(opened, 0);
    EXPECT_EQ(PendingIoResult, 0);
    // 127 bytes wait (a line break drains nothing on a pipe), the 128th sends
    // the block, then whole blocks only, and the rest at close.
    EXPECT_EQ(arrived, (std::vector<int>{0, 128, 384, 384}));
    EXPECT_EQ(written, "abc\r\n" + std::string(122, 'x') + "y" + std::string(300, 'w') + "tail");
}

#endif

// ---- Skipping a break on its own ---------------------------------------------

struct SkipRow {
    const char* name;
    std::string input;
    std::vector<std::string> linesAfter;
};

void PrintTo(const SkipRow& row, std::ostream* out) { *out << row.name; }

// SkipLineBreak from the start of a line passes over the line's content up
// to its break; a CR not followed by LF is content it skips too.
const SkipRow kSkips[] = {
    {"LoneCrIsSkippedAsContent", "a\rb\r\nc", {"c"}},
    {"SeveralLoneCrs", "\r\rx\ny", {"y"}},
    {"CrCrLfEndsAtTheLf", "a\r\r\nb", {"b"}},
    {"LoneCrAtBlockBoundary", std::string(127, 'x') + "\ry\nrest", {"rest"}},
    {"LoneCrAtTheEnd", "ab\r", {}},
    {"BreakFirst", "\r\n\rz\nw", {"z", "w"}},
    {"EndMarkAfterCrLfAcrossBlockBoundary", std::string(127, 'x') + "\r\n\x1a" "rest\n", {}},
    {"EndMarkAtBlockStartAfterLf", std::string(127, 'x') + "\n\x1a" "rest\n", {}},
};

class SkipAloneTest : public TextLineFileTest, public ::testing::WithParamInterface<SkipRow> {};

TEST_P(SkipAloneTest, SkipsTheWholeLine)
{
    TextLineFile reader;
    OpenReader(reader, GetParam().input);
    reader.SkipLineBreak();
    std::vector<std::string> lines;
    for (std::string line; !reader.AtEnd(); lines.push_back(line)) {
        reader.ReadLineText(line);
        reader.SkipLineBreak();
    }
    EXPECT_EQ(lines, GetParam().linesAfter);
    EXPECT_EQ(PendingIoResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, SkipAloneTest, ::testing::ValuesIn(kSkips),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(TextLineFileTest, RebindingAndDestroyingLeaveNoDescriptorOpen)
{
    const std::string path = folder_ / "f.txt";
    WriteBytes(path, "x\n");
    const int before = testing::OpenDescriptorCount();
    // Wine counts no handles at all.
    if (before == 0)
        GTEST_SKIP() << "the system does not count this process's handles";
    {
        TextLineFile reader;
        reader.BindName(path);
        reader.OpenForReading();
        reader.BindName(path);
        reader.OpenForReading();
        reader.OpenForReading();
        TextLineFile writer;
        writer.BindName(folder_ / "w.txt");
        writer.CreateForWriting();
        writer.WriteText("waiting");
        // Each file and the folder it was opened in.
        EXPECT_EQ(testing::OpenDescriptorCount(), before + 4);
    }
    EXPECT_EQ(testing::OpenDescriptorCount(), before);
    EXPECT_EQ(ReadBytes(folder_ / "w.txt"), "waiting");
    EXPECT_EQ(PendingIoResult, 0);
}

} // namespace
} // namespace ravo
