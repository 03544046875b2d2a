// The backup step of a run.
#include "run/backup_step.h"

#include "platform/file_copy.h"
#include "platform/path.h"

namespace ravo {

namespace {

const std::string kBackedUpLine = "Zálohuji soubor ";
const std::string kNotBackedUpLine = "Nelze zálohovat soubor ";

} // namespace

std::string ExtrahujNazevSouboru(const std::string& path)
{
    return std::string(platform::FileName(path));
}

std::string BackupDestination(const std::string& folder, const std::string& path)
{
    return platform::JoinPath(folder, ExtrahujNazevSouboru(path));
}

// The copies wait under temporary names in the folder and are flushed and put
// in place in batches, each logged as it takes its name, so that every copy
// logged is on the disk before the first pass changes its file.
void BackupListedFiles(const std::string& folder, const std::vector<std::string>& paths, OperationLog& log)
{
    log.AppendLine(VisibleInLog(folder));
    const platform::FolderHandle into = platform::OpenFolderNamed(folder.c_str());
    platform::CommitBatch batch;
    // What the log says of each copy of the batch, after its first word.
    std::vector<std::string> copies;
    const auto commit = [&batch, &copies, &log] {
        std::size_t reported = 0;
        batch.Commit([&](std::size_t i, bool placed) {
            log.AppendLine((placed ? kBackedUpLine : kNotBackedUpLine) + copies[i]);
            reported = i + 1;
        });
        // Copies whose data could not be flushed are failed copies too.
        for (; reported < copies.size(); ++reported)
            log.AppendLine(kNotBackedUpLine + copies[reported]);
        copies.clear();
    };
    for (const std::string& path : paths) {
        platform::CommitBatch::Entry entry;
        std::uint64_t bytes = 0;
        if (into)
            (void)platform::CopyToTemporary(path, into, ExtrahujNazevSouboru(path), entry, bytes);
        batch.Add(std::move(entry), bytes);
        copies.push_back(VisibleInLog(path) + " DO " + VisibleInLog(BackupDestination(folder, path)));
        if (batch.Due())
            commit();
    }
    commit();
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
