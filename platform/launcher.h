// Starting an external program the way the main window's view command needs
// it: a command line "program argument", run detached, never through a shell.
#pragma once

#include <string>
#include <vector>

namespace ravo {

// A command line split into the program and the one argument it gets.
struct SplitCommand {
    std::string program;
    std::string argument;
};

// The first word (up to the first space) is the program; everything after
// that space, spaces and shell characters included, is one argument.
SplitCommand SplitCommandLine(const std::string& commandLine);

// Desktop text editors tried, in this order, when the program itself is not
// installed.
const std::vector<std::string>& FallbackEditors();

// The executable to run for `program`: the program found on `searchPath` (a
// PATH-style list; empty entries are skipped so the current folder is never
// searched), otherwise the first fallback editor found there. A program
// named with a slash is taken as it stands. Empty when nothing is found.
std::string ResolveProgram(const std::string& program, const std::string& searchPath);

// Starts the command line detached from this process (its own session, no
// child left to reap) with the PATH of the environment. Returns whether a
// program was found and the process started; the main window ignores it.
bool StartDetached(const std::string& commandLine);

} // namespace ravo
