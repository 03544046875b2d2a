// Where each failure of a read, a write or a take-over leaves the run, on
// either system: the check after each operation pair ends the run with that
// pair's code, the files before the failing one are done, it and the rest
// are kept. The failures are injected by the system's test file's wrappers.
#include <gtest/gtest.h>
#include <cstdint>
#include <optional>
#include <string>

#include "tests/run/commit_order.h"

namespace ravo {
namespace {

using testing::CommitOrderTest;
using testing::Failure;
using testing::Fault;
using testing::ReadBytes;
using testing::WriteBytes;
using Lines = std::vector<std::string>;

struct InjectedRow {
    const char* name;
    Failure read;
    Failure write;
    Failure takeOver;
    // Content of the second of three listed files, the one that fails.
    std::string content;
    // The code that ends the run; 0 when the run goes on past the file.
    std::int32_t code;
    // What its temporary file holds afterwards, where the row says.
    std::optional<std::string> temporary = std::nullopt;
};

void PrintTo(const InjectedRow& row, std::ostream* out) { *out << row.name; }

// The file layer reads and writes blocks of 64 KiB: each content below puts a
// failing read or write of the listed file at the step the row names.
const std::string kOneBlock = std::string(65535, 'x') + "\n";
const std::string kTwoBlocks = std::string(131071, 'x') + "\n";
constexpr std::size_t kBlock = 65536;
// A first block of `first`, filled up to its end with `fill`, and more of
// `fill` after it, for a read that fails at the second block.
std::string FirstBlock(const std::string& first, char fill, const std::string& last = "")
{
    std::string content = first + std::string(kBlock - first.size() - last.size(), fill) + last;
    return content + std::string(100, fill) + "\n";
}
const std::string kShortLinesThenLong = [] {
    std::string content;
    for (int i = 0; i < 1000; ++i)
        content += "abcdefg\n";
    return content + std::string(70000, 'x') + "\n";
}();

// Where a later call fails after the first, with another code, the run must
// end with the first: each check stands right after the operations it covers.
const InjectedRow kInjected[] = {
    {"ReadFailsAtTheEndTest", {"b.txt", 2, Fault::Io}, {"b.txt.TMP", 1, Fault::DiskFull}, {}, kOneBlock, 1117},
    {"ReadFailsInsideALine", {"b.txt", 2, Fault::Io}, {"b.txt.TMP", 1, Fault::DiskFull}, {}, kShortLinesThenLong,
     1117},
    {"WriteFailsInTheWritePair", {"b.txt", 3, Fault::DiskFull}, {"b.txt.TMP", 1, Fault::Io}, {}, kTwoBlocks, 1117},
    // The last bytes cannot be written: the file is not replaced.
    {"WriteFailsAtTheClose", {}, {"b.txt.TMP", 1, Fault::DiskFull}, {}, "foo\n", 112},
    // The take-over fails: the file is not replaced, and the run goes on.
    {"ModeCannotBeTakenOver", {}, {}, {"b.txt.TMP", 1, Fault::Io}, "foo\n", 0},
    // A read that fails in the middle of the input: the check after the line
    // is read finds it, so nothing of the line it broke is written.
    {"ReadFailsInsideALineAcrossBlocks", {"b.txt", 2, Fault::Io}, {}, {},
     FirstBlock(std::string(200, 'a') + "\r\n", 'b'), 1117, std::string(200, 'a') + "\r\n"},
    {"ReadFailsInsideALongLine", {"b.txt", 2, Fault::Io}, {}, {}, FirstBlock("x\n", 'c'), 1117, "x\r\n"},
    {"ReadFailsRightAfterACr", {"b.txt", 2, Fault::Io}, {}, {}, FirstBlock("first\r\n", 'b', "\r"), 1117,
     "first\r\n"},
    {"ReadFailsAtALineStart", {"b.txt", 2, Fault::Io}, {}, {}, FirstBlock("", 'a', "\r\n"), 1117,
     std::string(kBlock - 2, 'a') + "\r\n"},
};

class InjectedFailureTest : public CommitOrderTest, public ::testing::WithParamInterface<InjectedRow> {};

TEST_P(InjectedFailureTest, FilesBeforeAreDoneTheFailingOneIsKept)
{
    const InjectedRow& row = GetParam();
    const std::string a = folder_ / "a.txt";
    const std::string b = folder_ / "b.txt";
    const std::string c = folder_ / "c.txt";
    WriteBytes(a, "foo\n");
    WriteBytes(b, row.content);
    WriteBytes(c, "foo\n");
    testing::failingRead = row.read;
    testing::failingWrite = row.write;
    testing::failingTakeOver = row.takeOver;
    std::int32_t code = 0;
    try {
        ReplaceInListedFiles({a, b, c}, "foo", "bar", log_, progress_);
    } catch (const EInOutError& error) {
        code = error.IoCode();
    }
    testing::failingRead = testing::failingWrite = testing::failingTakeOver = {};
    EXPECT_EQ(code, row.code);
    EXPECT_EQ(ReadBytes(a), "bar\r\n");
    EXPECT_EQ(ReadBytes(b), row.content);
    EXPECT_TRUE(testing::Exists(b + ".TMP"));
    if (row.temporary) {
        EXPECT_EQ(ReadBytes(b + ".TMP"), *row.temporary);
    }
    if (row.code != 0) {
        EXPECT_EQ(log_.lines, Lines{ModifiedLine(a)});
        EXPECT_EQ(ReadBytes(c), "foo\n");
    } else {
        EXPECT_EQ(log_.lines,
                  (Lines{ModifiedLine(a), NotModifiedLine(b), ModifiedLine(c)}));
        EXPECT_EQ(ReadBytes(c), "bar\r\n");
    }
    EXPECT_EQ(PendingIoResult, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, InjectedFailureTest, ::testing::ValuesIn(kInjected),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace ravo
