// Compares the replacement pass with a small model of the line rules, written
// independently of the reader, on random byte files: the rewritten file must
// be the model's lines, each spliced and followed by CR LF.
#include <gtest/gtest.h>
#include <random>

#include "engine/in_out_error.h"
#include "run/replacement_pass.h"
#include "tests/support/files.h"

namespace ravo {
namespace {

// The input as whole lines: LF or CR LF ends a line, any other CR is dropped,
// a byte 26 where a line would start ends the input, and at the end of the
// input the last line ends without a break.
std::vector<std::string> ModelLines(const std::string& input)
{
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < input.size() && input[i] != '\x1a') {
        std::string line;
        for (; i < input.size(); ++i) {
            if (input[i] == '\n') {
                ++i;
                break;
            }
            if (input[i] == '\r') {
                if (i + 1 < input.size() && input[i + 1] == '\n') {
                    i += 2;
                    break;
                }
                continue;
            }
            line += input[i];
        }
        lines.push_back(line);
    }
    return lines;
}

std::string ModelRewrite(const std::string& input, const std::string& search, const std::string& replacement)
{
    std::string output;
    for (std::string line : ModelLines(input)) {
        for (std::size_t at = 0; at + search.size() <= line.size(); ++at) {
            if (line.compare(at, search.size(), search) == 0) {
                line = line.substr(0, at) + replacement + line.substr(at + search.size());
                break;
            }
        }
        output += line + "\r\n";
    }
    return output;
}

class NullLog : public OperationLog {
public:
    void AppendLine(const std::string&) override {}
};

// Few distinct bytes, so that breaks, end marks and matches are frequent.
std::string RandomBytes(std::mt19937& random, std::size_t length, bool withBreaks)
{
    static const char kAlphabet[] = {'a', 'b', 'o', 'f', '\0', '\x1a', '\xff', '\r', '\n'};
    const std::size_t choices = withBreaks ? sizeof kAlphabet : sizeof kAlphabet - 2;
    std::uniform_int_distribution<std::size_t> pick(0, choices - 1);
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i)
        bytes += kAlphabet[pick(random)];
    return bytes;
}

TEST(LineModelPropertyTest, PassMatchesModelOnRandomFiles)
{
    testing::TempFolder folder;
    const std::string path = folder / "random.txt";
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> fileLength(0, 700);
    std::uniform_int_distribution<std::size_t> searchLength(1, 3);
    std::uniform_int_distribution<std::size_t> replacementLength(0, 4);
    NullLog log;
    NoProgress progress;
    for (int round = 0; round < 400; ++round) {
        const std::string input = RandomBytes(random, fileLength(random), true);
        const std::string search = RandomBytes(random, searchLength(random), false);
        const std::string replacement = RandomBytes(random, replacementLength(random), false);
        testing::WriteBytes(path, input);
        ReplaceInListedFiles({path}, search, replacement, log, progress);
        ASSERT_EQ(testing::ReadBytes(path), ModelRewrite(input, search, replacement))
            << "round " << round << ", " << input.size() << " bytes";
    }
    EXPECT_EQ(PendingIoResult, 0);
}

} // namespace
} // namespace ravo
