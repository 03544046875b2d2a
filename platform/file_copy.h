// The copy that never overwrites, used for backups.
#pragma once

#include <string>

namespace ravo::platform {

// Copies source to destination, creating the destination exclusively (fails
// when it exists, also when it is the source itself or a link). Only a regular
// source is copied (links followed); any other fails with 5 and never waits.
// The copy gets the source's permission bits, extended attributes and
// modification time; where the destination cannot hold the source's access
// list, the copy is left to its owner alone. On any failure the partial
// destination this call created is removed. Returns false without a message;
// GetLastError tells why.
bool CopyFileNoOverwrite(const std::string& source, const std::string& destination);

} // namespace ravo::platform
