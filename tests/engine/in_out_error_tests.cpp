// The message table of file errors and the check that raises them.
#include <gtest/gtest.h>
#include <thread>

#include "engine/in_out_error.h"

namespace ravo {
namespace {

struct MessageRow {
    std::int32_t code;
    const char* message;
    const char* boxText;
};

void PrintTo(const MessageRow& row, std::ostream* out) { *out << "code " << row.code; }

const MessageRow kMessages[] = {
    {2, "File not found", "File not found."},
    {3, "Invalid filename", "Invalid filename."},
    {4, "Too many open files", "Too many open files."},
    {5, "File access denied", "File access denied."},
    {100, "Read beyond end of file", "Read beyond end of file."},
    {101, "Disk full", "Disk full."},
    {106, "Invalid numeric input", "Invalid numeric input."},
    {32, "I/O error 32", "I/O error 32."},
    {102, "I/O error 102", "I/O error 102."},
    {103, "I/O error 103", "I/O error 103."},
    {104, "I/O error 104", "I/O error 104."},
    {105, "I/O error 105", "I/O error 105."},
    {112, "I/O error 112", "I/O error 112."},
    {206, "I/O error 206", "I/O error 206."},
    {1, "I/O error 1", "I/O error 1."},
    {-7, "I/O error -7", "I/O error -7."},
};

class MessageTableTest : public ::testing::TestWithParam<MessageRow> {
protected:
    void TearDown() override { PendingIoResult = 0; }
};

TEST_P(MessageTableTest, CheckRaisesCodeWithItsMessageAndResets)
{
    const MessageRow& row = GetParam();
    PendingIoResult = row.code;
    try {
        CheckIoResult();
        FAIL() << "nothing raised for code " << row.code;
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.IoCode(), row.code);
        EXPECT_EQ(error.Message(), row.message);
        EXPECT_EQ(ErrorBoxText(error.Message()), row.boxText);
    }
    EXPECT_EQ(PendingIoResult, 0);
    EXPECT_NO_THROW(CheckIoResult());
}

INSTANTIATE_TEST_SUITE_P(Rows, MessageTableTest, ::testing::ValuesIn(kMessages));

TEST(CheckIoResultTest, NothingPendingRaisesNothing)
{
    PendingIoResult = 0;
    EXPECT_NO_THROW(CheckIoResult());
}

TEST(CheckIoResultTest, ErrorIsCaughtAsTheCommonBase)
{
    PendingIoResult = 5;
    EXPECT_THROW(CheckIoResult(), Exception);
    EXPECT_EQ(PendingIoResult, 0);
}

TEST(CheckIoResultTest, PendingCodeBelongsToItsThread)
{
    PendingIoResult = 2;
    std::int32_t seenElsewhere = -1;
    std::thread other([&seenElsewhere] {
        seenElsewhere = PendingIoResult;
        PendingIoResult = 5;
    });
    other.join();
    EXPECT_EQ(seenElsewhere, 0);
    EXPECT_EQ(PendingIoResult, 2);
    PendingIoResult = 0;
}

// The error box's full-stop rule, on the last byte's unsigned code: above
// that of the full stop (0x2E) a full stop is appended, at or below it
// nothing. Rows at the edges: a signed comparison would leave bytes of 0x80
// and above bare, a ">=" would double the full stop, a "> '/'" would leave
// the slash bare.
struct FullStopRow {
    const char* rule;
    std::string message;
    std::string shown;
};

void PrintTo(const FullStopRow& row, std::ostream* out) { *out << row.rule; }

const FullStopRow kFullStopRows[] = {
    {"EmptyStaysEmpty", "", ""},
    {"LetterGetsOne", "File not found", "File not found."},
    {"DigitGetsOne", "I/O error 32", "I/O error 32."},
    {"QuestionMarkGetsOne", "Opravdu?", "Opravdu?."},
    {"ColonGetsOne", "Cesta:", "Cesta:."},
    {"SlashJustAboveTheFullStopGetsOne", "slozka/", "slozka/."},
    {"AccentedLetterGetsOne", "žluťoučký kůň", "žluťoučký kůň."},
    {"Byte0x80GetsOne", "konec \x80", "konec \x80."},
    {"Byte0xFFGetsOne", "konec \xFF", "konec \xFF."},
    {"FullStopIsNotDoubled", "Hotovo.", "Hotovo."},
    {"ExclamationMarkStaysBare", "Pozor!", "Pozor!"},
    {"ClosingParenthesisStaysBare", "List index out of bounds (7)", "List index out of bounds (7)"},
    {"HyphenStaysBare", "pomlcka -", "pomlcka -"},
    {"SpaceStaysBare", "mezera ", "mezera "},
    {"ControlByteStaysBare", "radek\n", "radek\n"},
};

class FullStopRule : public ::testing::TestWithParam<FullStopRow> {};

TEST_P(FullStopRule, ErrorBoxText)
{
    EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, FullStopRule, ::testing::ValuesIn(kFullStopRows),
                         [](const ::testing::TestParamInfo<FullStopRow>& row) { return std::string(row.param.rule); });

} // namespace
} // namespace ravo
