// The replacement pass: applies one string pair to every listed file, line by
// line through a temporary file beside it. Knows nothing of windows: the log
// and the progress indicator are small interfaces that the main window
// implements and tests fake.
#pragma once

#include <string>
#include <vector>

#include "run/progress.h"
#include "run/run_log.h"

namespace ravo {

// Applies one pair to every path of the list, in list order. File errors leave
// as EInOutError and end the run; the files then open are closed first.
void ReplaceInListedFiles(const std::vector<std::string>& paths, const std::string& search,
                          const std::string& replacement, OperationLog& log, ProgressIndicator& progress);

} // namespace ravo
