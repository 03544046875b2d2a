// Moving the current folder, reading it back, and listing visible folders.
#include "platform/current_folder.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temporary_tree.h"

namespace ravo {
namespace {

using FolderTree = testing::TemporaryTree;

TEST_F(FolderTree, MovesAreReadBackAsTheSystemReportsThem)
{
    MakeFolder("sub");
    MakeFolder("sub/deeper");
    MakeFile("file.txt");
    struct Case {
        std::string from;
        std::string target;
        bool accepted;
        std::string expected;
    };
    const Case cases[] = {
        {"/", root_, true, root_},
        {root_, "sub", true, root_ + "/sub"},
        {root_, "sub/deeper/..", true, root_ + "/sub"},
        {root_, root_ + "/sub/", true, root_ + "/sub"},
        {root_, "/", true, "/"},
        {root_, root_ + "/missing", false, root_},
        {root_, root_ + "/file.txt", false, root_},
        {root_, "", false, root_},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetCurrentFolder(c.from));
        EXPECT_EQ(SetCurrentFolder(c.target), c.accepted) << c.target;
        EXPECT_EQ(CurrentFolder(), c.expected) << c.target;
    }
}

TEST_F(FolderTree, ARemovedCurrentFolderCannotBeReported)
{
    const std::string gone = MakeFolder("gone");
    ASSERT_TRUE(SetCurrentFolder(gone));
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    EXPECT_EQ(CurrentFolder(), "");
}

TEST_F(FolderTree, ExistenceTellsFoldersFromEverythingElse)
{
    MakeFolder("folder");
    MakeFile("file");
    ASSERT_EQ(::symlink((root_ + "/folder").c_str(), (root_ + "/to_folder").c_str()), 0);
    struct Case {
        std::string path;
        bool folder;
        bool nonFolder;
    };
    const Case cases[] = {
        {root_ + "/folder", true, false},       {root_ + "/to_folder", true, false},
        {root_ + "/file", false, true},         {root_ + "/missing", false, false},
        {root_ + "/file/inside", false, false}, {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path;
        EXPECT_EQ(NonFolderExists(c.path), c.nonFolder) << c.path;
    }
}

TEST_F(FolderTree, ListsVisibleFoldersAndLinksToFoldersOnly)
{
    for (const char* name : {"beta", "Alpha", ".hidden", "..dots", "with space"})
        MakeFolder(name);
    MakeFile("file.txt");
    MakeFile(".profile");
    ASSERT_EQ(::symlink((root_ + "/beta").c_str(), (root_ + "/link").c_str()), 0);
    ASSERT_EQ(::symlink((root_ + "/file.txt").c_str(), (root_ + "/file_link").c_str()), 0);
    ASSERT_EQ(::symlink((root_ + "/nowhere").c_str(), (root_ + "/broken").c_str()), 0);

    auto names = VisibleSubFolders(root_);
    ASSERT_TRUE(names.has_value());
    std::sort(names->begin(), names->end());
    EXPECT_EQ(*names, (std::vector<std::string>{"Alpha", "beta", "link", "with space"}));
}

TEST_F(FolderTree, AFolderThatCannotBeListedGivesNoList)
{
    MakeFile("file.txt");
    for (const std::string& path : {root_ + "/missing", root_ + "/file.txt", std::string()})
        EXPECT_FALSE(VisibleSubFolders(path).has_value()) << path;
    const std::string empty = MakeFolder("empty");
    ASSERT_TRUE(VisibleSubFolders(empty).has_value());
    EXPECT_TRUE(VisibleSubFolders(empty)->empty());
}

} // namespace
} // namespace ravo
