// Replacing a listed file by its rewritten copy.
#include "platform/file_replace.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_attributes.h"

namespace ravo::platform {

namespace {

// Enough folders at once for any list, few enough to stay far below the
// process's descriptor limit.
constexpr std::size_t kFoldersHeldOpen = 32;

bool Fail(int errnum, const std::string& path = {})
{
    SetLastError(Win32CodeFromErrno(errnum, path.empty() ? nullptr : path.c_str()));
    return false;
}

std::string FolderPart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char* NamePart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
}

bool SameFile(const struct stat& st, const FileFacts& facts)
{
    return st.st_dev == facts.device && st.st_ino == facts.inode;
}

} // namespace

std::string RealFileName(const std::string& path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

bool TakeOverAttributes(FileHandle listed, FileHandle written)
{
    const FileFacts& from = FactsOf(listed);
    if ((from.mode & S_IWUSR) == 0)
        return Fail(EACCES);
    const FileFacts& mine = FactsOf(written);
    const int to = DescriptorOf(written);
    // Only root may give a file away; a member of the file's group may still
    // give it that group. Otherwise the new file is the runner's, as any
    // file they make.
    if ((mine.owner != from.owner || mine.group != from.group) && ::fchown(to, from.owner, from.group) != 0 &&
        mine.group != from.group)
        (void)!::fchown(to, static_cast<uid_t>(-1), from.group);
    // Without its access list the file would open to other people than before.
    switch (CopyExtendedAttributes(DescriptorOf(listed), to)) {
    case AttributeCopy::Complete: break;
    case AttributeCopy::AccessListDropped: return Fail(ENOTSUP);
    case AttributeCopy::Failed: return Fail(errno);
    }
    SetModeAtClose(written, from.mode);
    return true;
}

FolderSync::~FolderSync() { Flush(); }

int FolderSync::FolderOf(const std::string& path)
{
    const std::string folder = FolderPart(path);
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
        if (it->path == folder)
            return it->fd;
    if (folders_.size() == kFoldersHeldOpen)
        Flush();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        folders_.push_back({folder, fd});
    return fd;
}

void FolderSync::Flush()
{
    // A folder that cannot be flushed loses nothing already renamed; there is
    // nobody to tell at this point, and the files themselves are on the disk.
    for (const Folder& folder : folders_) {
        (void)::fsync(folder.fd);
        ::close(folder.fd);
    }
    folders_.clear();
}

bool ReplaceFileAtomically(const std::string& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts, FolderSync& folders)
{
    const int folder = folders.FolderOf(listed);
    if (folder < 0)
        return Fail(errno, listed);
    struct stat now {};
    if (::fstatat(folder, NamePart(listed), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno, listed);
    if (!S_ISREG(now.st_mode) || !SameFile(now, listedFacts) || (now.st_mode & S_IWUSR) == 0)
        return Fail(EACCES);
    if (::fstatat(folder, NamePart(written), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno, written);
    if (!SameFile(now, writtenFacts))
        return Fail(EACCES);
    if (::renameat(folder, NamePart(written), folder, NamePart(listed)) != 0)
        return Fail(errno, listed);
    return true;
}

} // namespace ravo::platform
