// What the backup-and-run dialog needs of the main window, the run's host: the
// listed files, the string pairs, the log and the progress bar, and a way
// back.
#pragma once

#include <string>
#include <vector>

#include "run/progress.h"
#include "run/run_log.h"
#include "run/string_pair.h"

namespace ravo {

class RunHost {
public:
    virtual ~RunHost() = default;
    virtual std::vector<std::string> ListedPaths() const = 0;
    // Pair n (1 to kPairCount) as its two fields hold it now, as bytes.
    virtual StringPair PairTexts(int pair) const = 0;
    virtual OperationLog& Log() = 0;
    virtual void ClearLog() = 0;
    // Around a run's log lines: the log may collect them while the run
    // lasts, and holds them all once it has ended, however it ended.
    virtual void RunStarting() = 0;
    virtual void RunEnded() = 0;
    virtual ProgressIndicator& Progress() = 0;
    // Enables the main window again and gives it the focus.
    virtual void ReturnFromDialog() = 0;
};

} // namespace ravo
