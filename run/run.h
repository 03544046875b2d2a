// A whole run: the backup step or its absence, then one pass per string pair.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/progress.h"
#include "run/run_log.h"
#include "run/string_pair.h"

namespace ravo {

// The passes of a run, pairs 1 to kPairCount in order; pairAt(n) is asked for
// pair n just before its pass. Hides the progress indicator after the last
// pass; an error leaves it as the failing pass left it.
void RunPasses(const std::vector<std::string>& paths, const std::function<StringPair(int)>& pairAt,
               OperationLog& log, ProgressIndicator& progress);

// The backup into `folder` when one is chosen, otherwise the no-backup line,
// then the passes. The log is expected empty at the start. File errors of the
// passes leave as EInOutError and end the run.
void RunReplacements(const std::vector<std::string>& paths, const std::optional<std::string>& folder,
                     const std::function<StringPair(int)>& pairAt, OperationLog& log, ProgressIndicator& progress);

} // namespace ravo
