// Putting a rewritten file in place of the listed one: what the new file takes
// over, and the rename that checks both names still hold the files it expects.
#include <functional>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "platform/file_api.h"
#include "platform/safe_replace.h"
#include "tests/support/files.h"

namespace ravo::platform {
namespace {

using ravo::testing::Exists;
using ravo::testing::ReadBytes;
using ravo::testing::TempFolder;
using ravo::testing::WriteBytes;
#ifndef _WIN32
using ravo::testing::AccessList;
using ravo::testing::PermissionBits;
using ravo::testing::SetAccessList;
using ravo::testing::SetPermissionBits;
using ravo::testing::StatusOf;
#endif

struct Outcome {
    bool takenOver;
    bool replaced;
    std::uint32_t code;
};

// Rewrites `listed` to `content` through listed + ".TMP" as a run does;
// `meanwhile` runs between the take-over and the rename.
Outcome Rewrite(const std::string& listed, const std::string& content,
                const std::function<void()>& meanwhile = [] {})
{
    const FileHandle reader = CreateFile(listed.c_str(), FileAccess::Read);
    if (reader == kInvalidHandle)
        throw std::runtime_error("cannot open for the rewrite");
    const FilePlace place = PlaceOf(reader);
    const FilePlace temporary{place.folder, place.name + ".TMP"};
    const FileHandle writer = CreateFileIn(temporary.folder, temporary.name.c_str(), FileAccess::Write);
    if (writer == kInvalidHandle || !WriteFile(writer, content.data(), content.size()))
        throw std::runtime_error("cannot write the temporary file");
    const FileFacts listedFacts = FactsOf(reader);
    const FileFacts writtenFacts = FactsOf(writer);
    if (!CloseHandle(writer))
        throw std::runtime_error("cannot close the temporary file");
    const bool takenOver = TakeOverAttributes(reader, temporary, writtenFacts);
    if (!CloseHandle(reader))
        throw std::runtime_error("cannot close the listed file");
    meanwhile();
    const bool replaced = takenOver && ReplaceFileAtomically(temporary, writtenFacts, place.name, listedFacts);
    return {takenOver, replaced, GetLastError()};
}

#ifndef _WIN32
TEST(ReplaceFileAtomicallyTest, NewContentTakesNameAndMode)
{
    TempFolder folder;
    for (const mode_t bits : {0600, 0640, 0755, 0604, 0200}) {
        WriteBytes(folder / "target", "old");
        SetPermissionBits(folder / "target", bits);
        const Outcome outcome = Rewrite(folder / "target", "new");
        ASSERT_TRUE(outcome.replaced) << outcome.code;
        EXPECT_EQ(ReadBytes(folder / "target"), "new");
        EXPECT_EQ(PermissionBits(folder / "target"), bits);
        EXPECT_FALSE(Exists(folder / "target.TMP"));
    }
}

TEST(ReplaceFileAtomicallyTest, RootKeepsOwnerGroupAndSetIdBits)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file away";
    TempFolder folder;
    WriteBytes(folder / "target", "old");
    ASSERT_EQ(::chown((folder / "target").c_str(), 4321, 4322), 0);
    SetPermissionBits(folder / "target", 06755);
    ASSERT_TRUE(Rewrite(folder / "target", "new").replaced);
    const struct stat st = StatusOf(folder / "target");
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 06755u);
    EXPECT_EQ(ReadBytes(folder / "target"), "new");
}

TEST(ReplaceFileAtomicallyTest, AccessListAndAttributesAreKept)
{
    TempFolder folder;
    const std::string target = folder / "target";
    WriteBytes(target, "old");
    // The group may not read, a named user may: dropping the list would turn
    // its mask into group bits and lock the named user out.
    SetAccessList(target, "u::rw-,u:4242:rw-,g::---,m::rw-,o::---");
    ASSERT_EQ(::setxattr(target.c_str(), "user.origin", "mine", 4, 0), 0);
    const std::string before = AccessList(target);
    ASSERT_TRUE(Rewrite(target, "new").replaced);
    EXPECT_EQ(AccessList(target), before);
    EXPECT_EQ(ravo::testing::Attribute(target, "user.origin"), "mine");
    EXPECT_EQ(ReadBytes(target), "new");
}

// The folder's default access list would open the new file to an account
// the listed file kept out.
TEST(ReplaceFileAtomicallyTest, InheritedAccessListIsRemoved)
{
    TempFolder folder;
    SetAccessList(folder.Path(), "u::rwx,g::r-x,o::r-x,d:u::rwx,d:u:4242:rw-,d:g::r-x,d:m::rwx,d:o::---");
    const std::string target = folder / "target";
    WriteBytes(target, "old");
    ASSERT_EQ(::removexattr(target.c_str(), "system.posix_acl_access"), 0);
    SetPermissionBits(target, 0640);
    ASSERT_TRUE(Rewrite(target, "new").replaced);
    EXPECT_EQ(ravo::testing::Attribute(target, "system.posix_acl_access"), "<none>");
    EXPECT_EQ(PermissionBits(target), 0640u);
}

TEST(ReplaceFileAtomicallyTest, ReadOnlyTargetIsLeftWithAnOwnerOnlyTemporary)
{
    TempFolder folder;
    WriteBytes(folder / "target", "old");
    SetPermissionBits(folder / "target", 0444);
    const Outcome outcome = Rewrite(folder / "target", "new");
    EXPECT_FALSE(outcome.takenOver);
    EXPECT_EQ(outcome.code, kErrorAccessDenied);
    EXPECT_EQ(ReadBytes(folder / "target"), "old");
    EXPECT_EQ(PermissionBits(folder / "target"), 0444u);
    EXPECT_EQ(ReadBytes(folder / "target.TMP"), "new");
    EXPECT_EQ(PermissionBits(folder / "target.TMP"), 0600u);
}

#endif

struct SwapRow {
    const char* name;
    void (*swap)(const TempFolder&);
};

void PrintTo(const SwapRow& row, std::ostream* out) { *out << row.name; }

// Between writing and renaming, someone puts other files under the names.
const SwapRow kSwaps[] = {
    {"ListedNameNowAnotherFile",
     [](const TempFolder& f) {
         WriteBytes(f / "other", "theirs");
         std::filesystem::rename(f / "other", f / "target");
     }},
#ifndef _WIN32
    {"ListedNameNowALink",
     [](const TempFolder& f) {
         WriteBytes(f / "victim", "theirs");
         std::filesystem::remove(f / "target");
         std::filesystem::create_symlink(f / "victim", f / "target");
     }},
#endif
    {"TemporaryNameNowAnotherFile",
     [](const TempFolder& f) {
         WriteBytes(f / "other", "theirs");
         std::filesystem::rename(f / "other", f / "target.TMP");
     }},
    {"TemporaryNameGone", [](const TempFolder& f) { std::filesystem::remove(f / "target.TMP"); }},
    {"ListedFileMadeReadOnly", [](const TempFolder& f) { ravo::testing::MakeReadOnly(f / "target"); }},
};

class SwappedNameTest : public ::testing::TestWithParam<SwapRow> {};

TEST_P(SwappedNameTest, NothingIsRenamed)
{
    TempFolder folder;
    WriteBytes(folder / "target", "old");
    const Outcome outcome = Rewrite(folder / "target", "new", [&folder] { GetParam().swap(folder); });
    EXPECT_FALSE(outcome.replaced);
    EXPECT_NE(ReadBytes(folder / "target"), "new");
#ifndef _WIN32
    if (Exists(folder / "victim")) {
        EXPECT_EQ(ReadBytes(folder / "victim"), "theirs");
        EXPECT_TRUE(S_ISLNK(StatusOf(folder / "target").st_mode));
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(Rows, SwappedNameTest, ::testing::ValuesIn(kSwaps),
                         [](const auto& row) { return std::string(row.param.name); });

#ifndef _WIN32
// In a child process that gives up root for an ordinary user who belongs to
// the file's group but does not own it: the group stays, the owner cannot.
void RewriteAsGroupMember(const std::string& target)
{
    const gid_t groups[] = {4322};
    if (::setgroups(1, groups) != 0 || ::setgid(4400) != 0 || ::setuid(4401) != 0)
        std::_Exit(10);
    if (!Rewrite(target, "new").replaced)
        std::_Exit(11);
    const struct stat st = StatusOf(target);
    std::_Exit(st.st_uid == 4401 && st.st_gid == 4322 && (st.st_mode & 07777) == 0664 ? 0 : 12);
}

TEST(ReplaceFileAtomicallyTest, GroupMemberKeepsTheGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become an ordinary user";
    TempFolder folder;
    SetPermissionBits(folder.Path(), 0777);
    WriteBytes(folder / "target", "old");
    ASSERT_EQ(::chown((folder / "target").c_str(), 4321, 4322), 0);
    SetPermissionBits(folder / "target", 0664);
    EXPECT_EXIT(RewriteAsGroupMember(folder / "target"), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadBytes(folder / "target"), "new");
}

#endif

} // namespace
} // namespace ravo::platform
