// The placement rules side by side: where each puts the outer top-left
// corner of a window on a monitor that does not start at the origin. An odd
// outer size on an even monitor tells halving the free room from halving
// each size on its own.
#include "dialogs/placement.h"

#include <gtest/gtest.h>

namespace ravo {
namespace {

struct PlacementRow {
    const char* rule;
    PlacementRule place;
    QSize outer;
    QPoint expected;
};

void PrintTo(const PlacementRow& row, std::ostream* out) { *out << row.rule; }

const QRect kMonitor(100, 50, 1280, 1024);

const PlacementRow kRows[] = {
    {"CentredOnMonitorHalvesTheFreeRoom", CentredOnMonitor, {697, 505}, {100 + 291, 50 + 259}},
    {"CentredByHalvesTruncatesEachHalf", CentredByHalves, {697, 505}, {100 + 640 - 348, 50 + 512 - 252}},
    {"BottomOnTheMiddleKeepsTheWholeHeightAbove", BottomOnTheMiddle, {697, 505}, {100 + 640 - 348, 50 + 512 - 505}},
    {"AThirdOfTheFreeHeightFromTheTop", CentredAtAThirdOfTheFreeHeight, {697, 505}, {100 + 291, 50 + 173}},
    // Larger than the monitor: the divisions truncate towards zero.
    {"CentredOnMonitorWhenTooLarge", CentredOnMonitor, {1301, 1100}, {100 - 10, 50 - 38}},
    {"CentredByHalvesWhenTooLarge", CentredByHalves, {1301, 1100}, {100 + 640 - 650, 50 + 512 - 550}},
    {"BottomOnTheMiddleWhenTooLarge", BottomOnTheMiddle, {1301, 1100}, {100 + 640 - 650, 50 + 512 - 1100}},
    {"AThirdOfTheFreeHeightWhenTooLarge", CentredAtAThirdOfTheFreeHeight, {1301, 1100}, {100 - 10, 50 - 25}},
};

class Placement : public ::testing::TestWithParam<PlacementRow> {};

TEST_P(Placement, OuterTopLeftCorner)
{
    EXPECT_EQ(GetParam().place(kMonitor, GetParam().outer), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, Placement, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<PlacementRow>& row) { return std::string(row.param.rule); });

} // namespace
} // namespace ravo
