// The folder part of a path, which every open of a listed file and every
// code for a missing file starts from. (A path's file name and the joining
// are checked through the backup step's names.)
#include <gtest/gtest.h>

#include "platform/path.h"

namespace ravo::platform {
namespace {

struct FolderRow {
    std::string path;
    std::string folder;
};

void PrintTo(const FolderRow& row, std::ostream* out) { *out << ::testing::PrintToString(row.path); }

class FolderPartTest : public ::testing::TestWithParam<FolderRow> {};

TEST_P(FolderPartTest, IsWhatPrecedesTheLastSeparatorRootKept)
{
    EXPECT_EQ(FolderPart(GetParam().path), GetParam().folder);
}

#ifdef _WIN32
// A drive's root keeps its backslash; only the backslash separates.
INSTANTIATE_TEST_SUITE_P(Rows, FolderPartTest,
                         ::testing::Values(FolderRow{"C:\\a\\b", "C:\\a"}, FolderRow{"C:\\b", "C:\\"},
                                           FolderRow{"C:\\", "C:\\"}, FolderRow{"\\b", "\\"},
                                           FolderRow{"a\\b\\", "a\\b"}, FolderRow{"b", ""}, FolderRow{"", ""},
                                           FolderRow{"C:b", ""}, FolderRow{"a/b", ""}));
#else
INSTANTIATE_TEST_SUITE_P(Rows, FolderPartTest,
                         ::testing::Values(FolderRow{"/a/b", "/a"}, FolderRow{"/b", "/"}, FolderRow{"//b", "/"},
                                           FolderRow{"a/b/", "a/b"}, FolderRow{"b", ""}, FolderRow{"", ""},
                                           FolderRow{"a\\b", ""}));
#endif

} // namespace
} // namespace ravo::platform
