// Replacing files on POSIX: the take-over of owner, group, extended
// attributes and mode through descriptors, the renames relative to the
// folder's descriptor, and the flushes (one syncfs per file system for the
// data, fsync for the folders).
#include "platform/safe_replace.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

#include "platform/file_api_posix.h"
#include "platform/file_attributes_posix.h"

namespace ravo::platform {

namespace {

constexpr const char* kAccessList = "system.posix_acl_access";
constexpr int kLookFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool HasAccessList(int fd) { return ::fgetxattr(fd, kAccessList, nullptr, 0) >= 0; }

// Owner, group, attributes and mode, in the order that keeps each: a change
// of owner clears capabilities and set-id bits, so those come after it.
bool GiveAttributes(int from, const FileFacts& source, int to, const FileFacts& mine)
{
    const uid_t owner = NativeFacts::Owner(source);
    const gid_t group = NativeFacts::Group(source);
    const bool sameGroup = NativeFacts::Group(mine) == group;
    // Only root may give a file away; a member of the file's group may still
    // give it that group. Otherwise the new file is the runner's, as any
    // file they make.
    if ((NativeFacts::Owner(mine) != owner || !sameGroup) && ::fchown(to, owner, group) != 0 && !sameGroup)
        (void)!::fchown(to, static_cast<uid_t>(-1), group);
    // Without its access list the file would open to other people than before.
    switch (CopyExtendedAttributes(from, to)) {
    case AttributeCopy::Complete: break;
    case AttributeCopy::AccessListDropped: return FailWith(ENOTSUP);
    case AttributeCopy::Failed: return FailWith(errno);
    }
    if (!HasAccessList(from) && ::fremovexattr(to, kAccessList) != 0 && errno != ENODATA && errno != ENOTSUP)
        return FailWith(errno);
    return ::fchmod(to, NativeFacts::Mode(source) & 07777) == 0 || FailWith(errno);
}

// Runs `flush` on the folder. A folder that could be searched but not read
// has no descriptor to flush; the whole file system is flushed through the
// named file in it instead.
bool FlushThrough(const FilePlace& place, int (*flush)(int))
{
    const int folder = DescriptorOf(*place.folder);
    if (flush(folder) == 0)
        return true;
    if (errno != EBADF)
        return false;
    const int fd = ::openat(folder, place.name.c_str(), kLookFlags);
    if (fd < 0)
        return false;
    const bool flushed = ::syncfs(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return flushed;
}

bool StillOurs(int folder, const std::string& name, const FileFacts& facts)
{
    FileFacts now;
    return EntryFacts(folder, name.c_str(), now) && now.SameFileAs(facts);
}

} // namespace

bool TakeOverAttributes(FileHandle listed, const FilePlace& temporary, const FileFacts& written)
{
    const FileFacts& from = FactsOf(listed);
    if (from.IsReadOnly())
        return FailWith(EACCES);
    // Owner-only, the file is readable by the one who wrote it.
    const int to = ::openat(DescriptorOf(*temporary.folder), temporary.name.c_str(), kLookFlags);
    if (to < 0)
        return FailWith(errno);
    struct stat st {};
    const bool same = ::fstat(to, &st) == 0 && FactsFrom(st).SameFileAs(written);
    const bool given = same ? GiveAttributes(DescriptorOf(listed), from, to, FactsFrom(st)) : FailWith(EACCES);
    ::close(to);
    return given;
}

bool ReplaceFileAtomically(const FilePlace& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts)
{
    const int folder = DescriptorOf(*written.folder);
    FileFacts now;
    if (!EntryFacts(folder, listed.c_str(), now))
        return FailWith(errno);
    if (!now.IsRegular() || !now.SameFileAs(listedFacts) || now.IsReadOnly())
        return FailWith(EACCES);
    if (!EntryFacts(folder, written.name.c_str(), now))
        return FailWith(errno);
    if (!now.SameFileAs(writtenFacts))
        return FailWith(EACCES);
    if (::renameat(folder, written.name.c_str(), folder, listed.c_str()) != 0)
        return FailWith(errno);
    return true;
}

bool CommitBatch::HoldsEntryAt(const FilePlace& place) const
{
    FileFacts there;
    return !entries_.empty() && EntryFacts(DescriptorOf(*place.folder), place.name.c_str(), there) && Holds(there);
}

// The temporary file, if it is still the one written, flushed on its own.
bool CommitBatch::FlushOne(const Entry& entry)
{
    const int fd = ::openat(DescriptorOf(*entry.temporary.folder), entry.temporary.name.c_str(), kLookFlags);
    if (fd < 0)
        return FailWith(errno);
    struct stat st {};
    bool flushed = ::fstat(fd, &st) == 0 && FactsFrom(st).SameFileAs(entry.temporaryFacts);
    flushed = flushed ? ::fsync(fd) == 0 || FailWith(errno) : FailWith(EACCES);
    ::close(fd);
    return flushed;
}

// Gives the temporary file the target's name unless that name is taken,
// checked and done in one step. Where the file system cannot do that, a
// second name is linked exclusively and the temporary one removed.
bool CommitBatch::PlaceWithoutOverwriting(const Entry& entry)
{
    const int folder = DescriptorOf(*entry.temporary.folder);
    const char* temporary = entry.temporary.name.c_str();
    if (!StillOurs(folder, temporary, entry.temporaryFacts))
        return FailWith(EACCES);
    int placed = ::renameat2(folder, temporary, folder, entry.target.c_str(), RENAME_NOREPLACE);
    if (placed != 0 && (errno == EINVAL || errno == ENOSYS)) {
        placed = ::linkat(folder, temporary, folder, entry.target.c_str(), 0);
        if (placed == 0)
            ::unlinkat(folder, temporary, 0);
    }
    if (placed == 0)
        return true;
    const int error = errno;
    ::unlinkat(folder, temporary, 0);
    return FailWith(error);
}

// Removes the temporary file if it is still the one written.
void CommitBatch::Discard(const Entry& entry)
{
    const int folder = DescriptorOf(*entry.temporary.folder);
    if (StillOurs(folder, entry.temporary.name, entry.temporaryFacts))
        ::unlinkat(folder, entry.temporary.name.c_str(), 0);
}

// One flush per file system reaches the device once for every file of the
// batch on it.
bool CommitBatch::FlushData() const
{
    std::vector<dev_t> flushed;
    for (const Entry& entry : entries_) {
        const dev_t device = NativeFacts::Device(entry.temporaryFacts);
        if (entry.placement == Placement::None ||
            std::find(flushed.begin(), flushed.end(), device) != flushed.end())
            continue;
        if (!FlushThrough(entry.temporary, ::syncfs))
            return false;
        flushed.push_back(device);
    }
    return true;
}

// A folder that cannot be flushed loses nothing already renamed; there is
// nobody to tell at this point, and the files themselves are on the disk.
void CommitBatch::FlushFolders(std::size_t placed) const
{
    // Each file opened its folder anew: the same folder is told by what it is.
    std::vector<std::pair<dev_t, ino_t>> flushed;
    for (std::size_t i = 0; i < placed; ++i) {
        const Entry& entry = entries_[i];
        struct stat st {};
        if (entry.placement == Placement::None || ::fstat(DescriptorOf(*entry.temporary.folder), &st) != 0)
            continue;
        const std::pair folder{st.st_dev, st.st_ino};
        if (std::find(flushed.begin(), flushed.end(), folder) != flushed.end())
            continue;
        (void)FlushThrough({entry.temporary.folder, entry.target}, ::fsync);
        flushed.push_back(folder);
    }
}

} // namespace ravo::platform
