// The replacement pass: applies one string pair to every listed file, line by
// line through a temporary file beside it, and the run that applies the four
// pairs in turn. Knows nothing of windows: the log and the progress indicator
// are small interfaces that the main window implements and tests fake.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ravo {

// The operation log: lines are only ever appended.
class OperationLog {
public:
    virtual ~OperationLog() = default;
    virtual void AppendLine(const std::string& line) = 0;
};

// The progress bar as the pass drives it.
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;
    virtual void SetMinimum(int minimum) = 0;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetStep(int step) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// The progress of a run that no window shows.
class NoProgress : public ProgressIndicator {
public:
    void SetMinimum(int) override {}
    void SetMaximum(int) override {}
    void SetStep(int) override {}
    void SetPosition(int) override {}
    void SetVisible(bool) override {}
};

// One Original/Replacement pair as bytes. An empty search text leaves the
// pair unused.
struct StringPair {
    std::string search;
    std::string replacement;
};

// A path or folder as the log shows it: control characters are written
// visibly (\n, \r, \t, \xHH), so that a name cannot start a line of its own.
std::string VisibleInLog(std::string_view text);

// Applies one pair to every path of the list, in list order. File errors leave
// as EInOutError and end the run; the files then open are closed first.
void ReplaceInListedFiles(const std::vector<std::string>& paths, const std::string& search,
                          const std::string& replacement, OperationLog& log, ProgressIndicator& progress);

// The four passes of a run, pairs 1 to 4 in order; pairAt(n) is asked for pair
// n just before its pass. Hides the progress indicator after the fourth pass;
// an error leaves it as the failing pass left it.
void RunFourPasses(const std::vector<std::string>& paths, const std::function<StringPair(int)>& pairAt,
                   OperationLog& log, ProgressIndicator& progress);

} // namespace ravo
