// The external-editor launcher: how a command line is split, which program
// is found, and that a listed path can never make anything else run.
#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/files.h"

namespace fs = std::filesystem;
using ravo::ResolveProgram;
using ravo::SplitCommandLine;
using ravo::StartDetached;

namespace {

using ravo::testing::TempFolder;

void WriteFile(const fs::path& path, const std::string& content, fs::perms perms)
{
    std::ofstream(path) << content;
    fs::permissions(path, perms);
}

void WriteScript(const fs::path& path, const std::string& body)
{
    WriteFile(path, "#!/bin/sh\n" + body, fs::perms::owner_all);
}

// Restores PATH when a test that changed it ends.
class PathOverride {
public:
    explicit PathOverride(const std::string& value)
    {
        if (const char* old = std::getenv("PATH"))
            saved_ = old;
        setenv("PATH", value.c_str(), 1);
    }
    ~PathOverride() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

// Waits for a file that a started program writes; empty when it never comes.
std::string AwaitFile(const fs::path& path)
{
    for (int i = 0; i < 500 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

struct SplitCase {
    std::string commandLine;
    std::string program;
    std::string argument;
};

TEST(SplitCommandLine, FirstWordIsProgramAndTheRestOneArgument)
{
    const SplitCase cases[] = {
        {"notepad.exe /home/a/b.txt", "notepad.exe", "/home/a/b.txt"},
        {"notepad.exe /home/my files/a b.txt", "notepad.exe", "/home/my files/a b.txt"},
        {"notepad.exe  leading space", "notepad.exe", " leading space"},
        {"notepad.exe /x/trailing ", "notepad.exe", "/x/trailing "},
        {"notepad.exe", "notepad.exe", ""},
        {"notepad.exe ", "notepad.exe", ""},
        {"notepad.exe /a;rm -rf /b", "notepad.exe", "/a;rm -rf /b"},
        {"", "", ""},
    };
    for (const SplitCase& c : cases) {
        const ravo::SplitCommand split = SplitCommandLine(c.commandLine);
        EXPECT_EQ(split.program, c.program) << c.commandLine;
        EXPECT_EQ(split.argument, c.argument) << c.commandLine;
    }
}

TEST(ResolveProgram, ProgramOnPathComesFirstThenTheEditorsInOrder)
{
    TempFolder one, two;
    WriteScript(two / "notepad.exe", "");
    WriteScript(one / "mousepad", "");
    WriteScript(two / "gedit", "");
    const std::string path = one.Path() + ":" + two.Path();

    EXPECT_EQ(ResolveProgram("notepad.exe", path), two.Path() + "/notepad.exe");
    // gedit stands before mousepad in the list, whatever folder holds it.
    EXPECT_EQ(ResolveProgram("missing-program", path), two.Path() + "/gedit");
    EXPECT_EQ(ResolveProgram("missing-program", one.Path()), one.Path() + "/mousepad");
}

TEST(ResolveProgram, SkipsWhatCannotBeRun)
{
    TempFolder folder, current;
    WriteFile(folder / "notepad.exe", "not a program", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directory(folder / "gedit");
    WriteScript(current / "notepad.exe", "");
    const fs::path before = fs::current_path();
    fs::current_path(current.Path());

    const std::string cases[] = {folder.Path(), "", ":" + folder.Path() + ":", "/nonexistent-folder"};
    for (const std::string& path : cases)
        EXPECT_EQ(ResolveProgram("notepad.exe", path), "") << "PATH=" << path;
    fs::current_path(before);
    EXPECT_EQ(ResolveProgram("", current.Path()), "");
}

TEST(ResolveProgram, NameWithSlashIsTakenAsItStands)
{
    TempFolder folder;
    WriteScript(folder / "viewer", "");
    EXPECT_EQ(ResolveProgram(folder.Path() + "/viewer", ""), folder.Path() + "/viewer");
    EXPECT_EQ(ResolveProgram(folder.Path() + "/absent", folder.Path()), "");
}

// A fake notepad.exe records its arguments, NUL-terminated, into a file.
class StartDetachedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        record_ = bin_ / "argv";
        WriteScript(bin_ / "notepad.exe",
                    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > '" + record_.string() + ".part'\n"
                    "mv '" + record_.string() + ".part' '" + record_.string() + "'\n");
    }

    TempFolder bin_;
    TempFolder files_;
    fs::path record_;
};

TEST_F(StartDetachedTest, PathWithShellCharactersIsOneArgumentAndRunsNothingElse)
{
    const std::string dir = files_.Path();
    const std::string paths[] = {
        dir + "/a;touch " + dir + "/pwned",
        dir + "/$(touch " + dir + "/pwned)",
        dir + "/`touch " + dir + "/pwned`",
        dir + "/a && touch " + dir + "/pwned",
        dir + "/a | touch " + dir + "/pwned",
        dir + "/it's \"quoted\" $HOME",
        dir + "/line\ntouch " + dir + "/pwned",
        dir + "/with spaces/and  two.txt",
    };
    PathOverride path(bin_.Path() + ":/usr/bin:/bin");
    for (const std::string& listed : paths) {
        fs::remove(record_);
        ASSERT_TRUE(StartDetached("notepad.exe " + listed)) << listed;
        EXPECT_EQ(AwaitFile(record_), listed + '\0') << listed;
        EXPECT_FALSE(fs::exists(files_ / "pwned")) << listed;
    }
}

TEST_F(StartDetachedTest, LeavesNoChildToReap)
{
    PathOverride path(bin_.Path() + ":/usr/bin:/bin");
    ASSERT_TRUE(StartDetached("notepad.exe /some/file.txt"));
    AwaitFile(record_);
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(StartDetachedTest, FallsBackToAnInstalledEditor)
{
    fs::remove(bin_ / "notepad.exe");
    WriteScript(bin_ / "kate", "printf '%s\\0' \"$@\" > '" + record_.string() + ".part'\n"
                                      "/bin/mv '" + record_.string() + ".part' '" + record_.string() + "'\n");
    PathOverride path(bin_.Path());
    ASSERT_TRUE(StartDetached("notepad.exe /x/y z.txt"));
    EXPECT_EQ(AwaitFile(record_), std::string("/x/y z.txt") + '\0');
}

TEST_F(StartDetachedTest, ReportsFailureWithoutStartingAnything)
{
    TempFolder empty;
    PathOverride path(empty.Path());
    EXPECT_FALSE(StartDetached("notepad.exe /x.txt"));
    EXPECT_FALSE(StartDetached(""));

    // A script whose interpreter is missing cannot be executed.
    WriteFile(empty / "notepad.exe", "#!/nonexistent/interpreter\n", fs::perms::owner_all);
    EXPECT_FALSE(StartDetached("notepad.exe /x.txt"));
}

} // namespace
