// The backup step of a run.
#include "backup/backup_step.h"

#include "platform/file_copy.h"

namespace ravo {

namespace {

constexpr char kSeparator = '/';

} // namespace

std::string ExtrahujNazevSouboru(const std::string& path)
{
    const auto slash = path.find_last_of(kSeparator);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BackupDestination(const std::string& folder, const std::string& path)
{
    return folder + kSeparator + ExtrahujNazevSouboru(path);
}

void BackupListedFiles(const std::string& folder, const std::vector<std::string>& paths, OperationLog& log)
{
    log.AppendLine(folder);
    for (const std::string& path : paths) {
        const std::string destination = BackupDestination(folder, path);
        const bool copied = platform::CopyFileNoOverwrite(path, destination);
        log.AppendLine((copied ? "Zálohuji soubor " : "Nelze zálohovat soubor ") + path + " DO " + destination);
    }
}

void RunWithBackup(const std::vector<std::string>& paths, const std::optional<std::string>& folder,
                   const std::function<StringPair(int)>& pairAt, OperationLog& log, ProgressIndicator& progress)
{
    if (folder)
        BackupListedFiles(*folder, paths, log);
    else
        log.AppendLine(kNoBackupLine);
    RunFourPasses(paths, pairAt, log, progress);
}

} // namespace ravo
