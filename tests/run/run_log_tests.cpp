// The lines of a run's log as a user reads them. The one place where tests
// spell the texts out: every other test builds its lines from their names.
#include <gtest/gtest.h>

#include "run/run_log.h"

namespace ravo {
namespace {

struct LineRow {
    const char* what;
    std::string line;
    std::string text;
};

void PrintTo(const LineRow& row, std::ostream* out) { *out << row.what; }

class RunLogTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(RunLogTest, LineReadsAsTheUserSeesIt)
{
    EXPECT_EQ(GetParam().line, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RunLogTest,
    ::testing::Values(
        LineRow{"no backup", kNoBackupLine, "Nezálohuji soubory."},
        LineRow{"backup folder", BackupFolderLine("/home/eva/záloha"), "/home/eva/záloha"},
        LineRow{"backed up", BackedUpLine("/web/a.htm", "/z/a.htm"), "Zálohuji soubor /web/a.htm DO /z/a.htm"},
        LineRow{"not backed up", NotBackedUpLine("/web/a.htm", "/z/a.htm"),
                "Nelze zálohovat soubor /web/a.htm DO /z/a.htm"},
        LineRow{"modified", ModifiedLine("/x/škola.txt"), "Modifikuji soubor /x/škola.txt"},
        LineRow{"not modified", NotModifiedLine("/x/a.txt"), "Nelze modifikovat soubor /x/a.txt"},
        // A name holding a line break must not forge a line of the log.
        LineRow{"forged name", ModifiedLine("/f/forged\nModifikuji soubor \x01\tškola\x7f"),
                "Modifikuji soubor /f/forged\\nModifikuji soubor \\x01\\tškola\\x7F"},
        LineRow{"forged folder", BackupFolderLine("/z\r\n"), "/z\\r\\n"},
        LineRow{"forged destination", BackedUpLine("/a\n", "/z/a\n"), "Zálohuji soubor /a\\n DO /z/a\\n"}));

} // namespace
} // namespace ravo
