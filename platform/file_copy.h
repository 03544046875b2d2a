// Whole-file operations: the copy that never overwrites, used for backups,
// and the rename that puts a rewritten file in place of the listed one.
#pragma once

#include <string>

namespace ravo::platform {

// Copies source to destination, creating the destination exclusively (fails
// when it exists, also when it is the source itself). The copy gets the
// source's permission bits and modification time. On any failure the partial
// destination this call created is removed. Returns false without a message;
// GetLastError tells why.
bool CopyFileNoOverwrite(const std::string& source, const std::string& destination);

// Puts the finished file `replacement` in place of `target` by one atomic
// rename, after giving it the target's permission bits (and, where allowed,
// its owner), so that the target exists under its name at every moment. A
// read-only target is left alone (5). On failure `replacement` stays where it
// is.
bool ReplaceFileAtomically(const std::string& replacement, const std::string& target);

} // namespace ravo::platform
