// The copy that never overwrites, used for backups.
#pragma once

#include <cstdint>
#include <string>

#include "platform/safe_replace.h"

namespace ravo::platform {

// Copies `source` into `folder` under a fresh hidden temporary name, ready to
// take the name `name` there without overwriting anything: `entry` gets what
// a CommitBatch needs to put it in place, `bytes` its size. A copy killed
// half-way never stands under a backup's name. Fails at once when `name` is
// taken already. Only a regular source is copied (links followed); any other
// fails with 5 and never waits. The copy gets the source's permission bits,
// extended attributes and modification time; where the destination cannot
// hold the source's access list, the copy is left to its owner alone. On any
// failure nothing of the copy is left. Returns false without a message;
// GetLastError tells why.
bool CopyToTemporary(const std::string& source, const FolderHandle& folder, const std::string& name,
                     CommitBatch::Entry& entry, std::uint64_t& bytes);

// One copy to `destination`, flushed and put in place at once by the rules
// of CopyToTemporary: fails when the destination exists, also when it is the
// source itself or a link.
bool CopyFileNoOverwrite(const std::string& source, const std::string& destination);

} // namespace ravo::platform
