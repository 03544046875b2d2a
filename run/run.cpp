// A whole run.
#include "run/run.h"

#include "run/backup_step.h"
#include "run/replacement_pass.h"

namespace ravo {

void RunPasses(const std::vector<std::string>& paths, const std::function<StringPair(int)>& pairAt,
               OperationLog& log, ProgressIndicator& progress)
{
    for (int n = 1; n <= kPairCount; ++n) {
        const StringPair pair = pairAt(n);
        ReplaceInListedFiles(paths, pair.search, pair.replacement, log, progress);
    }
    progress.SetVisible(false);
}

void RunReplacements(const std::vector<std::string>& paths, const std::optional<std::string>& folder,
                     const std::function<StringPair(int)>& pairAt, OperationLog& log, ProgressIndicator& progress)
{
    if (folder)
        BackupListedFiles(*folder, paths, log);
    else
        log.AppendLine(kNoBackupLine);
    RunPasses(paths, pairAt, log, progress);
}

} // namespace ravo
