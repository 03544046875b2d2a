// Putting a rewritten file in place of the listed one: the real file behind a
// listed link, what the new file takes over from the old one, the atomic
// rename, and flushing the folders whose entries changed.
#pragma once

#include <string>
#include <vector>

#include "platform/file_api.h"

namespace ravo::platform {

// The file a listed path names, links followed, so that its temporary file
// lies beside it on the same file system; the path itself when it cannot be
// resolved.
std::string RealFileName(const std::string& path);

// Gives the freshly written file `written` what decides who may use the open
// file `listed`: its owner and group (the group alone where the owner cannot
// be kept, nothing more where neither can), its extended attributes with the
// access lists, and its mode, set when `written` closes. Everything goes
// through the descriptors. A read-only listed file (owner-write bit off) is
// not to be replaced: nothing is given and the call fails with 5.
bool TakeOverAttributes(FileHandle listed, FileHandle written);

// Folders whose entries were renamed, each opened once, flushed to the disk
// together: at Flush, when too many are open, and at the latest when the
// object goes.
class FolderSync {
public:
    FolderSync() = default;
    ~FolderSync();
    FolderSync(const FolderSync&) = delete;
    FolderSync& operator=(const FolderSync&) = delete;

    // The descriptor of the folder holding `path`, or -1 with errno set.
    int FolderOf(const std::string& path);
    void Flush();

private:
    struct Folder {
        std::string path;
        int fd;
    };
    std::vector<Folder> folders_;
};

// Renames the finished file `written` over `listed`, both in one folder, in
// one atomic step, so that the listed name holds the old or the new content at
// every moment. Each name must still hold the file that was read or written
// (a swapped name fails with 5), and a listed file that became read-only is
// left alone (5). On failure `written` stays where it is.
bool ReplaceFileAtomically(const std::string& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts, FolderSync& folders);

} // namespace ravo::platform
