// The backup step of a run: copies every listed file into the chosen folder
// before the passes change it, never overwriting anything there.
#pragma once

#include <string>
#include <vector>

#include "run/run_log.h"

namespace ravo {

// A path's file name: everything after its last separator, scanned from the
// end; the whole path when it has none; empty when it ends with one.
std::string ExtrahujNazevSouboru(const std::string& path);

// Where a listed file's backup copy goes: the folder, one separator (always
// added, so a root folder gives two in a row) and the file's name.
std::string BackupDestination(const std::string& folder, const std::string& path);

// Logs the folder, then copies each listed file to its destination without
// overwriting, logging each copy made or failed. The run goes on either way.
void BackupListedFiles(const std::string& folder, const std::vector<std::string>& paths, OperationLog& log);

} // namespace ravo
