// The process's current folder and the folder queries the folder chooser
// needs: every move of the chooser is made by changing the current folder
// and reading it back, so what it shows is always what the system reported.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ravo {

// Makes path the process's current folder; false when the system refuses.
bool SetCurrentFolder(const std::string& path);

// The process's current folder as the system reports it; empty when the
// system cannot report it (for example when it has been removed).
std::string CurrentFolder();

bool FolderExists(const std::string& path);
// True for anything that exists and is not a folder.
bool NonFolderExists(const std::string& path);

// The names of the folders inside path, in the order the system gives them,
// symbolic links to folders included; names starting with "." count as
// hidden and are left out (so are "." and ".."). No value when the folder
// cannot be listed.
std::optional<std::vector<std::string>> VisibleSubFolders(const std::string& path);

// The names of every entry inside path, exactly as the system stores them,
// in the order it gives them; "." and ".." are left out. No value when the
// folder cannot be listed.
std::optional<std::vector<std::string>> FolderEntryNames(const std::string& path);

} // namespace ravo
