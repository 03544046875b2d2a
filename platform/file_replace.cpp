// Replacing a listed file by its rewritten copy.
#include "platform/file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/file_attributes.h"

namespace ravo::platform {

namespace {

constexpr const char* kAccessList = "system.posix_acl_access";

bool Fail(int errnum)
{
    SetLastError(Win32CodeFromErrno(errnum));
    return false;
}

bool HasAccessList(int fd) { return ::fgetxattr(fd, kAccessList, nullptr, 0) >= 0; }

// Owner, group, attributes and mode, in the order that keeps each: a change
// of owner clears capabilities and set-id bits, so those come after it.
bool GiveAttributes(int from, const FileFacts& source, int to, const FileFacts& mine)
{
    // Only root may give a file away; a member of the file's group may still
    // give it that group. Otherwise the new file is the runner's, as any
    // file they make.
    if ((mine.owner != source.owner || mine.group != source.group) && ::fchown(to, source.owner, source.group) != 0 &&
        mine.group != source.group)
        (void)!::fchown(to, static_cast<uid_t>(-1), source.group);
    // Without its access list the file would open to other people than before.
    switch (CopyExtendedAttributes(from, to)) {
    case AttributeCopy::Complete: break;
    case AttributeCopy::AccessListDropped: return Fail(ENOTSUP);
    case AttributeCopy::Failed: return Fail(errno);
    }
    if (!HasAccessList(from) && ::fremovexattr(to, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP)
        return Fail(errno);
    return ::fchmod(to, source.mode & 07777) == 0 || Fail(errno);
}

} // namespace

bool TakeOverAttributes(FileHandle listed, const FilePlace& temporary, const FileFacts& written)
{
    const FileFacts& from = FactsOf(listed);
    if (IsReadOnly(from.mode))
        return Fail(EACCES);
    // Owner-only, the file is readable by the one who wrote it.
    const int to = ::openat(DescriptorOf(*temporary.folder), temporary.name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (to < 0)
        return Fail(errno);
    struct stat st {};
    const bool same = ::fstat(to, &st) == 0 && FactsFrom(st).SameFileAs(written);
    const bool given = same ? GiveAttributes(DescriptorOf(listed), from, to, FactsFrom(st)) : Fail(EACCES);
    ::close(to);
    return given;
}

bool ReplaceFileAtomically(const FilePlace& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts)
{
    const int folder = DescriptorOf(*written.folder);
    struct stat now {};
    if (::fstatat(folder, listed.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno);
    if (!S_ISREG(now.st_mode) || !FactsFrom(now).SameFileAs(listedFacts) || IsReadOnly(now.st_mode))
        return Fail(EACCES);
    if (::fstatat(folder, written.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno);
    if (!FactsFrom(now).SameFileAs(writtenFacts))
        return Fail(EACCES);
    if (::renameat(folder, written.name.c_str(), folder, listed.c_str()) != 0)
        return Fail(errno);
    return true;
}

} // namespace ravo::platform
