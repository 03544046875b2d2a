// The 1-based string primitives and their clamping.
#include <gtest/gtest.h>

#include "engine/string_primitives.h"

namespace ravo {
namespace {

struct PositionRow {
    std::string pattern;
    std::string text;
    std::size_t expected;
};

void PrintTo(const PositionRow& row, std::ostream* out)
{
    *out << ::testing::PrintToString(row.pattern) << " in " << ::testing::PrintToString(row.text);
}

class PositionOfTest : public ::testing::TestWithParam<PositionRow> {};

TEST_P(PositionOfTest, FindsLeftmostOccurrence)
{
    EXPECT_EQ(PositionOf(GetParam().pattern, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PositionOfTest,
                         ::testing::Values(PositionRow{"abc", "xxabcabc", 3}, PositionRow{"aab", "aaab", 2},
                                           PositionRow{"ABC", "abc", 0}, PositionRow{"", "abc", 0},
                                           PositionRow{"a", "", 0}, PositionRow{"", "", 0},
                                           PositionRow{"abcd", "abc", 0}, PositionRow{"abc", "abc", 1},
                                           PositionRow{"c", "abc", 3},
                                           PositionRow{std::string("\0b", 2), std::string("a\0b", 3), 2},
                                           PositionRow{"b", std::string("a\0b", 3), 3},
                                           PositionRow{"\xe1", "m\xc3\xa1\xe1", 4}));

struct DeleteRow {
    std::string text;
    std::ptrdiff_t index;
    std::ptrdiff_t count;
    std::string expected;
};

void PrintTo(const DeleteRow& row, std::ostream* out)
{
    *out << ::testing::PrintToString(row.text) << " at " << row.index << " count " << row.count;
}

class DeleteRangeTest : public ::testing::TestWithParam<DeleteRow> {};

TEST_P(DeleteRangeTest, RemovesClampedRange)
{
    std::string text = GetParam().text;
    DeleteRange(text, GetParam().index, GetParam().count);
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DeleteRangeTest,
                         ::testing::Values(DeleteRow{"abcd", 2, 10, "a"}, DeleteRow{"abcd", 5, 1, "abcd"},
                                           DeleteRow{"abcd", 0, 2, "abcd"}, DeleteRow{"abcd", -3, 2, "abcd"},
                                           DeleteRow{"abcd", 2, 0, "abcd"}, DeleteRow{"abcd", 2, -1, "abcd"},
                                           DeleteRow{"abcd", 1, 4, ""}, DeleteRow{"abcd", 4, 1, "abc"},
                                           DeleteRow{"abcd", 2, 2, "ad"}, DeleteRow{"", 1, 1, ""}));

struct InsertRow {
    std::string source;
    std::string text;
    std::ptrdiff_t index;
    std::string expected;
};

void PrintTo(const InsertRow& row, std::ostream* out)
{
    *out << ::testing::PrintToString(row.source) << " into " << ::testing::PrintToString(row.text) << " at "
         << row.index;
}

class InsertTextTest : public ::testing::TestWithParam<InsertRow> {};

TEST_P(InsertTextTest, InsertsAtClampedIndex)
{
    std::string text = GetParam().text;
    InsertText(GetParam().source, text, GetParam().index);
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, InsertTextTest,
                         ::testing::Values(InsertRow{"xy", "abc", 0, "xyabc"}, InsertRow{"xy", "abc", 1, "xyabc"},
                                           InsertRow{"xy", "abc", 2, "axybc"}, InsertRow{"xy", "abc", 4, "abcxy"},
                                           InsertRow{"xy", "abc", 99, "abcxy"}, InsertRow{"xy", "abc", -5, "xyabc"},
                                           InsertRow{"", "abc", 2, "abc"}, InsertRow{"xy", "", 1, "xy"},
                                           InsertRow{"xy", "", 7, "xy"}));

} // namespace
} // namespace ravo
