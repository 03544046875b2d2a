// The operation log of a run and every line a run writes into it. Paths and
// folders appear in a line as VisibleInLog shows them.
#pragma once

#include <string>
#include <string_view>

namespace ravo {

// The operation log: lines are only ever appended.
class OperationLog {
public:
    virtual ~OperationLog() = default;
    virtual void AppendLine(const std::string& line) = 0;
};

// A path or folder as the log shows it: control characters are written
// visibly (\n, \r, \t, \xHH), so that a name cannot start a line of its own.
std::string VisibleInLog(std::string_view text);

// The run's first line when no backup is made.
inline constexpr const char* kNoBackupLine = "Nezálohuji soubory.";
// The run's first line when a backup is made: the chosen folder.
std::string BackupFolderLine(const std::string& folder);
// A backup copy of `path` made, or not made, at `destination`.
std::string BackedUpLine(const std::string& path, const std::string& destination);
std::string NotBackedUpLine(const std::string& path, const std::string& destination);
// A listed file a pass rewrote, or left as it was.
std::string ModifiedLine(const std::string& path);
std::string NotModifiedLine(const std::string& path);

} // namespace ravo
