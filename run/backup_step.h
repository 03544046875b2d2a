// The backup step of a run: copies every listed file into the chosen folder
// before the passes change it, never overwriting anything there.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/replacement_pass.h"

namespace ravo {

// A path's file name: everything after its last separator, scanned from the
// end; the whole path when it has none; empty when it ends with one.
std::string ExtrahujNazevSouboru(const std::string& path);

// Where a listed file's backup copy goes: the folder, one separator (always
// added, so a root folder gives two in a row) and the file's name.
std::string BackupDestination(const std::string& folder, const std::string& path);

// Logs the folder, then copies each listed file to its destination without
// overwriting: "Zálohuji soubor P DO D" for a copy made, "Nelze zálohovat
// soubor P DO D" for one that failed. The run goes on either way.
void BackupListedFiles(const std::string& folder, const std::vector<std::string>& paths, OperationLog& log);

// The line logged instead when no backup is made.
inline constexpr const char* kNoBackupLine = "Nezálohuji soubory.";

// A whole run: the backup into `folder` when one is chosen, otherwise the
// no-backup line, then the four passes, pairAt(n) asked for pair n just before
// its pass. The log is expected empty at the start. File errors of the passes
// leave as EInOutError and end the run.
void RunWithBackup(const std::vector<std::string>& paths, const std::optional<std::string>& folder,
                   const std::function<StringPair(int)>& pairAt, OperationLog& log, ProgressIndicator& progress);

} // namespace ravo
