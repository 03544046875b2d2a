// Putting a rewritten file in place of the listed one: what the new file takes
// over from the old one, and the atomic rename. Both act relative to the
// folder that held the listed file when it was opened.
#pragma once

#include "platform/file_api.h"

namespace ravo::platform {

// Gives the finished temporary file at `temporary` (closed after its last
// byte; `written` says which file it must be) what decides who may use the
// open file `listed`: its owner and group (the group alone where the owner
// cannot be kept, nothing more where neither can), its extended attributes
// with the access lists and capabilities, and its mode. An access list the
// new file inherited from its folder goes when the listed file has none, so
// nobody gains access. All of it follows the last write, which would clear
// capabilities and set-id bits, and goes through a descriptor. A read-only
// listed file (owner-write bit off) is not to be replaced: nothing is given
// and the call fails with 5.
bool TakeOverAttributes(FileHandle listed, const FilePlace& temporary, const FileFacts& written);

// Renames the finished file at `written` over the listed name `listed` of the
// same folder in one atomic step, so that the listed name holds the old or the
// new content at every moment. Each name must still hold the file that was
// read or written (a swapped name fails with 5), and a listed file that became
// read-only is left alone (5). On failure `written` stays where it is.
bool ReplaceFileAtomically(const FilePlace& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts);

} // namespace ravo::platform
