// The replacement pass and the run of four passes, on real files, with a
// recording log and progress indicator.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <csignal>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "engine/in_out_error.h"
#include "run/replacement_pass.h"
#include "run/run.h"
#include "tests/support/files.h"
#include "tests/support/recording_log.h"

namespace ravo {
namespace {

using testing::Exists;
using testing::ReadBytes;
using testing::RecordingLog;
using testing::TempFolder;
#ifndef _WIN32
using testing::PermissionBits;
using testing::SetPermissionBits;
#endif
using testing::WriteBytes;

using Lines = std::vector<std::string>;

class RecordingProgress : public ProgressIndicator {
public:
    void SetMinimum(int v) override { calls.push_back("min " + std::to_string(v)); }
    void SetMaximum(int v) override { calls.push_back("max " + std::to_string(v)); }
    void SetStep(int v) override { calls.push_back("step " + std::to_string(v)); }
    void SetPosition(int v) override { calls.push_back("pos " + std::to_string(v)); }
    void SetVisible(bool v) override { calls.push_back(v ? "show" : "hide"); }
    Lines calls;
};

class ReplacementPassTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        PendingIoResult = 0;
#ifdef _WIN32
        testing::ReleaseHeldFiles();
#endif
    }

    std::string File(const std::string& name, const std::string& content)
    {
        const std::string path = folder_ / name;
        WriteBytes(path, content);
        return path;
    }

    void Pass(const Lines& paths, const std::string& search, const std::string& replacement)
    {
        ReplaceInListedFiles(paths, search, replacement, log_, progress_);
    }

    TempFolder folder_;
    RecordingLog log_;
    RecordingProgress progress_;
};

// ---- One line, one pair ------------------------------------------------------

struct SpliceRow {
    const char* name;
    std::string search;
    std::string replacement;
    std::string input;
    std::string output;
};

void PrintTo(const SpliceRow& row, std::ostream* out) { *out << row.name; }

const SpliceRow kSplices[] = {
    {"OnlyFirstOccurrenceIsReplaced", "abc", "x", "abcabc\r\n", "xabc\r\n"},
    {"LineEqualToSearchBecomesReplacement", "abc", "xyz", "abc\r\n", "xyz\r\n"},
    {"LineEqualToSearchWithEmptyReplacementBecomesEmpty", "abc", "", "abc\r\nq\r\n", "\r\nq\r\n"},
    {"MatchAtLineEndAppendsReplacement", "end", "END", "the end\r\n", "the END\r\n"},
    {"MatchIsCaseSensitive", "ABC", "x", "abc\r\n", "abc\r\n"},
    {"ReplacementIsNotSearchedAgain", "a", "aa", "a\r\n", "aa\r\n"},
    {"EachLineGetsItsFirstReplaced", "o", "0", "foo\nboo\nxyz\n", "f0o\r\nb0o\r\nxyz\r\n"},
    {"DeletionWithEmptyReplacement", "b", "", "abc\r\n", "ac\r\n"},
    {"FileWithoutOccurrenceGetsCrLf", "zzz", "y", "a\nb", "a\r\nb\r\n"},
    {"EmptyFileStaysEmpty", "a", "b", "", ""},
    {"HighBytesAndNulAreMatched", std::string("\xe1\0", 2), "\xc3", std::string("x\xe1\0y\n", 5), "x\xc3y\r\n"},
    {"EndMarkInsideLineCanBeMatched", "\x1a", "Z", "a\x1a" "b\n\x1a" "gone", "aZb\r\n"},
    {"LongLineIsSplicedWhole", "needle", "pin", std::string(5000, 'h') + "needle" + std::string(300, 't'),
     std::string(5000, 'h') + "pin" + std::string(300, 't') + "\r\n"},
};

class SpliceTest : public ReplacementPassTest, public ::testing::WithParamInterface<SpliceRow> {};

TEST_P(SpliceTest, RewritesFileAsExpected)
{
    const SpliceRow& row = GetParam();
    const std::string path = File("f.txt", row.input);
    Pass({path}, row.search, row.replacement);
    EXPECT_EQ(ReadBytes(path), row.output);
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(path)});
    EXPECT_FALSE(Exists(path + ".TMP"));
}

INSTANTIATE_TEST_SUITE_P(Rows, SpliceTest, ::testing::ValuesIn(kSplices),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Log and progress --------------------------------------------------------

TEST_F(ReplacementPassTest, EmptySearchTouchesNothing)
{
    const std::string path = File("a.txt", "abc\n");
    Pass({path, folder_ / "missing.txt"}, "", "x");
    EXPECT_TRUE(log_.lines.empty());
    EXPECT_TRUE(progress_.calls.empty());
    EXPECT_EQ(ReadBytes(path), "abc\n");
}

TEST_F(ReplacementPassTest, EmptyListSetsRangeAndShowsOnly)
{
    Pass({}, "a", "b");
    EXPECT_EQ(progress_.calls, (Lines{"min 0", "max -1", "step 1", "show"}));
    EXPECT_TRUE(log_.lines.empty());
}

TEST_F(ReplacementPassTest, EveryFileIsLoggedAndPositionedInListOrder)
{
    const std::string a = File("a.txt", "foo\n");
    const std::string b = File("b.txt", "none\n");
    const std::string c = File("c.txt", "");
    Pass({a, b, c}, "foo", "bar");
    EXPECT_EQ(progress_.calls, (Lines{"min 0", "max 2", "step 1", "show", "pos 0", "pos 1", "pos 2"}));
    EXPECT_EQ(log_.lines, (Lines{ModifiedLine(a), ModifiedLine(b), ModifiedLine(c)}));
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
    EXPECT_EQ(ReadBytes(b), "none\r\n");
    EXPECT_EQ(ReadBytes(c), "");
}

TEST_F(ReplacementPassTest, OneFileGivesRangeZeroToZero)
{
    Pass({File("a.txt", "x")}, "x", "y");
    EXPECT_EQ(progress_.calls, (Lines{"min 0", "max 0", "step 1", "show", "pos 0"}));
}

// ---- A file met again in one pass ---------------------------------------------

// A file listed again, under its own path or another, reads what the earlier
// rewrite in this pass gave it, as if each file were put in place at once.
struct AgainRow {
    const char* name;
    // Makes the listed files in `f`; gives the list.
    Lines (*list)(const TempFolder& f);
    // Expected content of each file of the list, in list order.
    Lines contents;
    // The code that ends the run, 0 for none.
    std::int32_t code;
};

void PrintTo(const AgainRow& row, std::ostream* out) { *out << row.name; }

const AgainRow kAgain[] = {
    {"SamePathTwice",
     [](const TempFolder& f) {
         WriteBytes(f / "a.txt", "foofoofoo\n");
         return Lines{f / "a.txt", f / "a.txt"};
     },
     {"barbarfoo\r\n", "barbarfoo\r\n"},
     0},
#ifndef _WIN32
    {"LinkToTheFileBefore",
     [](const TempFolder& f) {
         WriteBytes(f / "a.txt", "foofoofoo\n");
         std::filesystem::create_symlink("a.txt", f / "link");
         return Lines{f / "a.txt", f / "link"};
     },
     {"barbarfoo\r\n", "barbarfoo\r\n"},
     0},
#endif
    // The second file's temporary name is the first file: it is put in place
    // before that name is cleared.
    {"TemporaryNameOfTheNextListedBefore",
     [](const TempFolder& f) {
         WriteBytes(f / "a.txt.TMP", "foo\n");
         WriteBytes(f / "a.txt", "foofoo\n");
         return Lines{f / "a.txt.TMP", f / "a.txt"};
     },
     {"", "barfoo\r\n"},
     0},
    {"TemporaryNameOfTheFileBeforeListed",
     [](const TempFolder& f) {
         WriteBytes(f / "a.txt", "foo\n");
         return Lines{f / "a.txt", f / "a.txt.TMP"};
     },
     {"bar\r\n", ""},
     2},
};

class AgainTest : public ReplacementPassTest, public ::testing::WithParamInterface<AgainRow> {};

TEST_P(AgainTest, ReadsWhatTheEarlierRewriteGave)
{
    const AgainRow& row = GetParam();
    const Lines paths = row.list(folder_);
    std::int32_t code = 0;
    try {
        Pass(paths, "foo", "bar");
    } catch (const EInOutError& error) {
        code = error.IoCode();
    }
    EXPECT_EQ(code, row.code);
    Lines logged;
    for (std::size_t i = 0; i < paths.size() - (row.code != 0 ? 1 : 0); ++i)
        logged.push_back(ModifiedLine(paths[i]));
    EXPECT_EQ(log_.lines, logged);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (row.contents[i].empty())
            EXPECT_FALSE(Exists(paths[i])) << paths[i];
        else
            EXPECT_EQ(ReadBytes(paths[i]), row.contents[i]) << paths[i];
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AgainTest, ::testing::ValuesIn(kAgain),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Permissions, the temporary file and read-only files ----------------------

#ifdef _WIN32
FILETIME CreationTimeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftCreationTime;
}

// The attributes and the creation time go with the listed name; the time of
// the last write is the rewrite's own.
TEST_F(ReplacementPassTest, AttributesAreKept)
{
    // 2001-01-01, long before any file a test writes.
    const FILETIME created{0xc89dc000, 0x01c07385};
    // The archive bit is the system's: every write sets it.
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN},
                                   DWORD{0}}) {
        const std::string path = File("a.txt", "foo\n");
        const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(::SetFileTime(file, &created, nullptr, nullptr));
        ::CloseHandle(file);
        const FILETIME before = CreationTimeOf(path);
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL));
        Pass({path}, "foo", "bar");
        EXPECT_EQ(::GetFileAttributesA(path.c_str()) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE}, attributes);
        EXPECT_EQ(ReadBytes(path), "bar\r\n");
        // Wine keeps no creation time of its own, so there it has none to keep.
        const FILETIME after = CreationTimeOf(path);
        if (::CompareFileTime(&before, &created) == 0) {
            EXPECT_EQ(::CompareFileTime(&after, &created), 0);
        }
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(ReplacementPassTest, AccessListIsKept)
{
    const std::string path = File("a.txt", "foo\n");
    testing::SetOwnerAndReaders(path);
    const std::string before = testing::AccessList(path);
    Pass({path}, "foo", "bar");
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
    EXPECT_EQ(testing::AccessList(path), before);
}
#else
TEST_F(ReplacementPassTest, PermissionBitsAreKept)
{
    for (const mode_t bits : {0600, 0640, 0755, 0664}) {
        const std::string path = File("p.txt", "foo\n");
        SetPermissionBits(path, bits);
        Pass({path}, "foo", "bar");
        EXPECT_EQ(PermissionBits(path), bits);
        EXPECT_EQ(ReadBytes(path), "bar\r\n");
    }
}
#endif

TEST_F(ReplacementPassTest, OldTemporaryFileIsOverwritten)
{
    const std::string path = File("a.txt", "foo\n");
    WriteBytes(path + ".TMP", std::string(1000, 'J'));
    Pass({path}, "foo", "bar");
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
    EXPECT_FALSE(Exists(path + ".TMP"));
}

TEST_F(ReplacementPassTest, ReadOnlyFileIsLeftWithTemporaryBesideIt)
{
    const std::string a = File("a.txt", "foo\n");
    const std::string ro = File("ro.txt", "foo\n");
    const std::string c = File("c.txt", "foo\n");
    testing::MakeReadOnly(ro);
    Pass({a, ro, c}, "foo", "bar");
    EXPECT_EQ(ReadBytes(ro), "foo\n");
    EXPECT_EQ(ReadBytes(ro + ".TMP"), "bar\r\n");
#ifdef _WIN32
    EXPECT_TRUE(testing::IsReadOnly(ro));
#else
    EXPECT_EQ(PermissionBits(ro), 0444u);
#endif
    EXPECT_EQ(ReadBytes(c), "bar\r\n");
    EXPECT_EQ(log_.lines,
              (Lines{ModifiedLine(a), NotModifiedLine(ro), ModifiedLine(c)}));
    EXPECT_EQ(progress_.calls, (Lines{"min 0", "max 2", "step 1", "show", "pos 0", "pos 2"}));
}

// ---- Whatever a neighbour plants, the listed file gets its new content -------

#ifndef _WIN32
struct PlantRow {
    const char* name;
    // Puts an entry under the temporary file's name `planted`; `victim` is
    // another file that holds "victim".
    void (*plant)(const std::string& planted, const std::string& victim, const std::string& listed);
};

void PrintTo(const PlantRow& row, std::ostream* out) { *out << row.name; }

const PlantRow kPlants[] = {
    {"LeftoverFile", [](const std::string& t, const std::string&, const std::string&) { WriteBytes(t, "old run"); }},
    {"LinkToOtherFile",
     [](const std::string& t, const std::string& v, const std::string&) { std::filesystem::create_symlink(v, t); }},
    {"LinkToListedFile",
     [](const std::string& t, const std::string&, const std::string& p) { std::filesystem::create_symlink(p, t); }},
    {"HardLinkToListedFile",
     [](const std::string& t, const std::string&, const std::string& p) { std::filesystem::create_hard_link(p, t); }},
    {"HardLinkToOtherFile",
     [](const std::string& t, const std::string& v, const std::string&) { std::filesystem::create_hard_link(v, t); }},
    {"Fifo", [](const std::string& t, const std::string&, const std::string&) { ::mkfifo(t.c_str(), 0666); }},
};

class PlantedTemporaryTest : public ReplacementPassTest, public ::testing::WithParamInterface<PlantRow> {};

TEST_P(PlantedTemporaryTest, ListedFileIsRewrittenAndNothingElse)
{
    const std::string path = File("p.txt", "foo\n");
    const std::string victim = File("victim", "victim");
    GetParam().plant(path + ".TMP", victim, path);
    ::alarm(10);
    Pass({path}, "foo", "bar");
    ::alarm(0);
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(path)});
    const struct stat st = testing::StatusOf(path);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_nlink, 1u);
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
    EXPECT_EQ(ReadBytes(victim), "victim");
    EXPECT_FALSE(Exists(path + ".TMP"));
}

INSTANTIATE_TEST_SUITE_P(Rows, PlantedTemporaryTest, ::testing::ValuesIn(kPlants),
                         [](const auto& row) { return std::string(row.param.name); });

// Run as root, a planted link must not hand the root file it leads to over to
// the listed file's owner.
TEST_F(ReplacementPassTest, PlantedLinkGivesNoFileAway)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file away";
    const std::string path = File("p.txt", "foo\n");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4321), 0);
    const std::string victim = File("victim", "victim");
    std::filesystem::create_symlink(victim, path + ".TMP");
    Pass({path}, "foo", "bar");
    EXPECT_EQ(testing::StatusOf(victim).st_uid, 0u);
    EXPECT_EQ(testing::StatusOf(path).st_uid, 4321u);
    EXPECT_EQ(ReadBytes(victim), "victim");
}

TEST_F(ReplacementPassTest, TemporaryFileHeldOpenByAnotherDoesNotBecomeTheFile)
{
    const std::string path = File("p.txt", "foo\n");
    WriteBytes(path + ".TMP", "");
    const int theirs = ::open((path + ".TMP").c_str(), O_RDWR);
    ASSERT_GE(theirs, 0);
    Pass({path}, "foo", "bar");
    ASSERT_EQ(::write(theirs, "injected\r\n", 10), 10);
    struct stat held {};
    ::fstat(theirs, &held);
    ::close(theirs);
    EXPECT_NE(held.st_ino, testing::StatusOf(path).st_ino);
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
}

// ---- Links, access lists, owners ------------------------------------------------------

TEST_F(ReplacementPassTest, ListedLinkRewritesTheFileItNames)
{
    std::filesystem::create_directory(folder_ / "real");
    const std::string real = File("real/file.txt", "foo\n");
    const std::string link = folder_ / "link.txt";
    std::filesystem::create_symlink("real/file.txt", link);
    Pass({link}, "foo", "bar");
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(link)});
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link), "real/file.txt");
    EXPECT_EQ(ReadBytes(real), "bar\r\n");
    EXPECT_FALSE(Exists(link + ".TMP"));
    EXPECT_FALSE(Exists(real + ".TMP"));
}

TEST_F(ReplacementPassTest, ListedLinkToReadOnlyFileLeavesTheTemporaryBesideThatFile)
{
    std::filesystem::create_directory(folder_ / "real");
    const std::string real = File("real/file.txt", "foo\n");
    SetPermissionBits(real, 0444);
    const std::string link = folder_ / "link.txt";
    std::filesystem::create_symlink(real, link);
    Pass({link}, "foo", "bar");
    EXPECT_EQ(log_.lines, Lines{NotModifiedLine(link)});
    EXPECT_EQ(ReadBytes(real + ".TMP"), "bar\r\n");
    EXPECT_FALSE(Exists(link + ".TMP"));
}

TEST_F(ReplacementPassTest, AccessListIsKept)
{
    const std::string path = File("p.txt", "foo\n");
    testing::SetAccessList(path, "u::rw-,u:4242:rw-,g::---,m::rw-,o::---");
    const std::string before = testing::AccessList(path);
    Pass({path}, "foo", "bar");
    EXPECT_EQ(testing::AccessList(path), before);
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
}

// A capability is cleared by a write to the file and by a change of its
// owner; the rewritten file gets it after both.
TEST_F(ReplacementPassTest, CapabilityOutlivesTheLastWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a capability";
    const std::string path = File("p.txt", "foo\n");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    // Version 2, effective, permitting cap_net_raw (13).
    const std::string capability = std::string("\x01\x00\x00\x02\x00\x20", 6) + std::string(14, '\0');
    if (::setxattr(path.c_str(), "security.capability", capability.data(), capability.size(), 0) != 0)
        GTEST_SKIP() << "this file system holds no capabilities";
    Pass({path}, "foo", "bar");
    EXPECT_EQ(testing::Attribute(path, "security.capability"), capability);
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
}

#endif

// ---- Errors end the run ------------------------------------------------------

struct ErrorRow {
    const char* name;
    // Makes the second of three listed files fail; gives its path.
    std::string (*spoil)(const TempFolder&);
    std::int32_t code;
};

void PrintTo(const ErrorRow& row, std::ostream* out) { *out << row.name; }

const ErrorRow kErrors[] = {
    {"MissingFile", [](const TempFolder& f) { return f / "gone.txt"; }, 2},
    {"MissingFolder", [](const TempFolder& f) { return f / "nowhere/b.txt"; }, 3},
    {"FolderListedAsFile",
     [](const TempFolder& f) {
         std::filesystem::create_directory(f / "sub");
         return f / "sub";
     },
     5},
    {"ReadOnlyTemporaryFile",
     [](const TempFolder& f) {
         WriteBytes(f / "b.txt", "foo\n");
         WriteBytes(f / "b.txt.TMP", "old");
         testing::MakeReadOnly(f / "b.txt.TMP");
         return f / "b.txt";
     },
     5},
#ifndef _WIN32
    // Read-only is the owner's write bit, whatever the others may do.
    {"ReadOnlyTemporaryWritableByOthers",
     [](const TempFolder& f) {
         WriteBytes(f / "b.txt", "foo\n");
         WriteBytes(f / "b.txt.TMP", "old");
         SetPermissionBits(f / "b.txt.TMP", 0466);
         return f / "b.txt";
     },
     5},
#endif
    {"FolderAsTemporaryFile",
     [](const TempFolder& f) {
         WriteBytes(f / "b.txt", "foo\n");
         std::filesystem::create_directory(f / "b.txt.TMP");
         return f / "b.txt";
     },
     5},
#ifndef _WIN32
    {"FifoListed",
     [](const TempFolder& f) {
         ::mkfifo((f / "fifo").c_str(), 0666);
         return f / "fifo";
     },
     5},
    {"DeviceListed",
     [](const TempFolder& f) {
         // Root makes a zero device of its own (endless input), so that a
         // fault cannot harm the system's.
         if (::geteuid() == 0 && ::mknod((f / "zero").c_str(), S_IFCHR | 0666, ::makedev(1, 5)) == 0)
             return f / "zero";
         return std::string("/dev/zero");
     },
     5},
    {"DanglingLinkListed",
     [](const TempFolder& f) {
         std::filesystem::create_symlink(f / "gone.txt", f / "link");
         return f / "link";
     },
     2},
#endif
    // The listed file is opened first: its error wins, and nothing is created.
    {"MissingFileBesideReadOnlyTemporary",
     [](const TempFolder& f) {
         WriteBytes(f / "b.txt.TMP", "old");
         testing::MakeReadOnly(f / "b.txt.TMP");
         return f / "b.txt";
     },
     2},
#ifdef _WIN32
    {"DeviceNameListed", [](const TempFolder& f) { return f / "NUL"; }, 5},
    {"ListedFileHeldForWriting",
     [](const TempFolder& f) { return testing::HeldOpen(f / "b.txt", GENERIC_WRITE, FILE_SHARE_READ); }, 32},
    // The listed name fits, the temporary name beside it does not.
    {"TemporaryNameTooLong",
     [](const TempFolder& f) {
         const std::string path = f / std::string(MAX_PATH - 3 - f.Path().size() - 1, 'n');
         WriteBytes(path, "foo\n");
         return path;
     },
     206},
    {"TemporaryFileHeldWithoutSharing",
     [](const TempFolder& f) {
         WriteBytes(f / "b.txt", "foo\n");
         testing::HeldOpen(f / "b.txt.TMP", GENERIC_READ, 0);
         return f / "b.txt";
     },
     32},
#endif
};

class PassErrorTest : public ReplacementPassTest, public ::testing::WithParamInterface<ErrorRow> {};

TEST_P(PassErrorTest, ErrorEndsRunAfterFirstFile)
{
    const std::string a = File("a.txt", "foo\n");
    const std::string b = GetParam().spoil(folder_);
    const std::string c = File("c.txt", "foo\n");
    const bool regular = std::filesystem::is_regular_file(b);
    const std::string before = regular ? ReadBytes(b) : "";
    const bool temporaryExisted = Exists(b + ".TMP");
#ifndef _WIN32
    // Whatever is not a regular file is refused before anything opens it.
    const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(opens, folder_.Path().c_str(), IN_OPEN), 0);
    ::alarm(10); // a run that waits on an open ends the test binary
#endif
    const int descriptors = testing::OpenDescriptorCount();
    int pairsAsked = 0;
    try {
        RunPasses(
            {a, b, c},
            [&pairsAsked](int n) {
                ++pairsAsked;
                return n == 1 ? StringPair{"foo", "bar"} : StringPair{"bar", "baz"};
            },
            log_, progress_);
        FAIL() << "the run did not fail";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.IoCode(), GetParam().code);
    }
#ifndef _WIN32
    ::alarm(0);
#endif
    EXPECT_EQ(pairsAsked, 1);
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
    EXPECT_EQ(ReadBytes(c), "foo\n");
    if (regular) {
        EXPECT_EQ(ReadBytes(b), before);
    }
    EXPECT_EQ(Exists(b + ".TMP"), temporaryExisted);
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(a)});
    EXPECT_EQ(progress_.calls.back(), "pos 0"); // still shown, not hidden
    EXPECT_EQ(testing::OpenDescriptorCount(), descriptors);
    EXPECT_EQ(PendingIoResult, 0);
#ifndef _WIN32
    if (!regular) {
        const std::string name = b.substr(b.find_last_of('/') + 1);
        EXPECT_EQ(testing::OpenedNames(opens).count(name), 0u) << name << " was opened";
    }
    ::close(opens);
#endif
}

INSTANTIATE_TEST_SUITE_P(Rows, PassErrorTest, ::testing::ValuesIn(kErrors),
                         [](const auto& row) { return std::string(row.param.name); });

#ifndef _WIN32
// A write that fails in the middle of a file: the process may not grow a
// file past 64 KiB, so writing the temporary file fails with the code for a
// file too large. Runs the pass over the paths in a child process, so the
// limit does not stay, with a umask that would give everything away; exits 0
// when `holds` is true of the error and the log.
using FailureCheck = bool (*)(const EInOutError& error, const RecordingLog& log, const Lines& paths);

void RewriteUnderFileSizeLimit(const Lines& paths, FailureCheck holds)
{
    std::signal(SIGXFSZ, SIG_IGN);
    ::umask(0);
    const struct rlimit limit = {64 * 1024, 64 * 1024};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        std::_Exit(10);
    RecordingLog log;
    RecordingProgress progress;
    try {
        ReplaceInListedFiles(paths, "line", "LINE", log, progress);
    } catch (const EInOutError& error) {
        std::_Exit(holds(error, log, paths) ? 0 : 11);
    }
    std::_Exit(12);
}

// More than the child may write.
std::string ManyLines()
{
    std::string content;
    for (int i = 0; content.size() < 200 * 1024; ++i)
        content += "line " + std::to_string(i) + "\n";
    return content;
}

TEST_F(ReplacementPassTest, WriteFailureLeavesListedFileUnchanged)
{
    const std::string content = ManyLines();
    const std::string big = File("big.txt", content);
    const std::string next = File("next.txt", "line\n");
    EXPECT_EXIT(RewriteUnderFileSizeLimit({big, next},
                                          [](const EInOutError& error, const RecordingLog& log, const Lines&) {
                                              return error.IoCode() == 223 && log.lines.empty() &&
                                                     PendingIoResult == 0;
                                          }),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadBytes(big), content);
    EXPECT_EQ(ReadBytes(next), "line\n");
    EXPECT_TRUE(Exists(big + ".TMP"));
    EXPECT_FALSE(Exists(next + ".TMP"));
}

// The temporary file left by the failure holds a private file's new content:
// it is the owner's alone, whatever the umask.
TEST_F(ReplacementPassTest, TemporaryFileIsOwnerOnlyWhileWritten)
{
    const std::string content = ManyLines();
    const std::string big = File("big.txt", content);
    SetPermissionBits(big, 0600);
    EXPECT_EXIT(RewriteUnderFileSizeLimit({big},
                                          [](const EInOutError&, const RecordingLog&, const Lines& paths) {
                                              return testing::PermissionBits(paths[0] + ".TMP") == 0600;
                                          }),
                ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadBytes(big), content);
}

// Files in many folders, each held open until its batch is committed: a low
// limit of descriptors makes the batch commit early, not the run fail.
void RewriteInFoldersUnderDescriptorLimit(const Lines& paths, rlim_t limit)
{
    const struct rlimit descriptors = {limit, limit};
    if (::setrlimit(RLIMIT_NOFILE, &descriptors) != 0)
        std::_Exit(10);
    RecordingLog log;
    RecordingProgress progress;
    try {
        ReplaceInListedFiles(paths, "foo", "bar", log, progress);
    } catch (const EInOutError& error) {
        std::_Exit(20 + error.IoCode());
    }
    std::_Exit(log.lines.size() == paths.size() ? 0 : 11);
}

TEST_F(ReplacementPassTest, FewDescriptorsDoNotEndARunOverManyFolders)
{
    Lines paths;
    for (int i = 0; i < 40; ++i) {
        const std::string sub = "d" + std::to_string(i);
        std::filesystem::create_directory(folder_ / sub);
        paths.push_back(File(sub + "/f.txt", "foo\n"));
    }
    // The lowest limit leaves room for the three standard streams, the
    // test's own descriptors and one file with its folder and temporary.
    const rlim_t lowest = static_cast<rlim_t>(testing::OpenDescriptorCount()) + 4;
    for (const rlim_t limit : {lowest, lowest + 8, rlim_t{32}}) {
        EXPECT_EXIT(RewriteInFoldersUnderDescriptorLimit(paths, limit), ::testing::ExitedWithCode(0), "")
            << "limit " << limit;
    }
    for (const std::string& path : paths)
        EXPECT_EQ(ReadBytes(path), "bar\r\n");
}

// A name holding a line break is rewritten, and logged as the log shows such
// names (run_log_tests).
TEST_F(ReplacementPassTest, ControlCharactersOfAPathAreShownVisibly)
{
    const std::string path = File("forged\nModifikuji soubor \x01\tškola\x7f", "foo\n");
    Pass({path}, "foo", "bar");
    EXPECT_EQ(log_.lines, Lines{ModifiedLine(path)});
    EXPECT_EQ(ReadBytes(path), "bar\r\n");
}

// ---- The run of four passes ----------------------------------------------------

#endif

TEST_F(ReplacementPassTest, PairsRunInOrderEachSeeingTheEarlierResult)
{
    const std::string a = File("a.txt", "a a a\n");
    Lines asked;
    RunPasses(
        {a},
        [&asked](int n) {
            asked.push_back(std::to_string(n));
            const StringPair pairs[] = {{"a", "b"}, {"", "ignored"}, {"b", "c"}, {"a", "d"}};
            return pairs[n - 1];
        },
        log_, progress_);
    EXPECT_EQ(asked, (Lines{"1", "2", "3", "4"}));
    EXPECT_EQ(ReadBytes(a), "c d a\r\n");
    EXPECT_EQ(log_.lines, Lines(3, ModifiedLine(a)));
    EXPECT_EQ(progress_.calls.back(), "hide");
}

TEST_F(ReplacementPassTest, AllPairsEmptyOnlyHidesProgress)
{
    const std::string a = File("a.txt", "a\n");
    RunPasses({a}, [](int) { return StringPair{}; }, log_, progress_);
    EXPECT_EQ(progress_.calls, Lines{"hide"});
    EXPECT_TRUE(log_.lines.empty());
    EXPECT_EQ(ReadBytes(a), "a\n");
}

TEST_F(ReplacementPassTest, SamePairTwiceReplacesFirstTwoOccurrences)
{
    const std::string a = File("a.txt", "x x x\n");
    RunPasses(
        {a}, [](int n) { return n <= 2 ? StringPair{"x", "y"} : StringPair{}; }, log_, progress_);
    EXPECT_EQ(ReadBytes(a), "y y x\r\n");
}

} // namespace
} // namespace ravo
