// The backup step of a run.
#include "run/backup_step.h"

#include "platform/file_copy.h"
#include "platform/path.h"

namespace ravo {

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
    log.AppendLine(BackupFolderLine(folder));
    const platform::FolderHandle into = platform::OpenFolderNamed(folder.c_str());
    platform::CommitBatch batch;
    // The listed path and the destination of each copy of the batch.
    std::vector<std::pair<std::string, std::string>> copies;
    const auto commit = [&batch, &copies, &log] {
        std::size_t reported = 0;
        batch.Commit([&](std::size_t i, bool placed) {
            const auto& [path, destination] = copies[i];
            log.AppendLine(placed ? BackedUpLine(path, destination) : NotBackedUpLine(path, destination));
            reported = i + 1;
        });
        // Copies whose data could not be flushed are failed copies too.
        for (; reported < copies.size(); ++reported)
            log.AppendLine(NotBackedUpLine(copies[reported].first, copies[reported].second));
        copies.clear();
    };
    for (const std::string& path : paths) {
        platform::CommitBatch::Entry entry;
        std::uint64_t bytes = 0;
        if (into)
            (void)platform::CopyToTemporary(path, into, ExtrahujNazevSouboru(path), entry, bytes);
        batch.Add(std::move(entry), bytes);
        copies.emplace_back(path, BackupDestination(folder, path));
        if (batch.Due())
            commit();
    }
    commit();
}

} // namespace ravo
