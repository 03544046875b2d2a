// Committing a batch of new files: one flush for their data, the renames in
// order, one flush per folder.
#include "platform/commit_batch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_replace.h"

namespace ravo::platform {

namespace {

constexpr int kLookFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool Fail(int errnum)
{
    SetLastError(Win32CodeFromErrno(errnum));
    return false;
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

// The temporary file, if it is still the one written, flushed on its own.
bool FlushOne(const CommitBatch::Entry& entry)
{
    const int fd = ::openat(DescriptorOf(*entry.temporary.folder), entry.temporary.name.c_str(), kLookFlags);
    if (fd < 0)
        return Fail(errno);
    struct stat st {};
    bool flushed = ::fstat(fd, &st) == 0 && FactsFrom(st).SameFileAs(entry.temporaryFacts);
    flushed = flushed ? ::fsync(fd) == 0 || Fail(errno) : Fail(EACCES);
    ::close(fd);
    return flushed;
}

bool StillOurs(int folder, const std::string& name, const FileFacts& facts)
{
    struct stat st {};
    return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && FactsFrom(st).SameFileAs(facts);
}

// Gives the temporary file the target's name unless that name is taken,
// checked and done in one step. Where the file system cannot do that, a
// second name is linked exclusively and the temporary one removed.
bool PlaceWithoutOverwriting(const CommitBatch::Entry& entry)
{
    const int folder = DescriptorOf(*entry.temporary.folder);
    const char* temporary = entry.temporary.name.c_str();
    if (!StillOurs(folder, temporary, entry.temporaryFacts))
        return Fail(EACCES);
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
    return Fail(error);
}

bool Place(const CommitBatch::Entry& entry)
{
    switch (entry.placement) {
    case CommitBatch::Placement::Replace:
        return ReplaceFileAtomically(entry.temporary, entry.temporaryFacts, entry.target, entry.targetFacts);
    case CommitBatch::Placement::NoReplace: return PlaceWithoutOverwriting(entry);
    case CommitBatch::Placement::None: return false;
    }
    return false;
}

} // namespace

bool CommitBatch::Holds(const FileFacts& file) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&file](const Entry& entry) {
        return entry.temporaryFacts.SameFileAs(file) ||
               (entry.placement == Placement::Replace && entry.targetFacts.SameFileAs(file));
    });
}

bool CommitBatch::HoldsEntryAt(const FilePlace& place) const
{
    struct stat st {};
    return !entries_.empty() &&
           ::fstatat(DescriptorOf(*place.folder), place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           Holds(FactsFrom(st));
}

bool CommitBatch::RoomFor(std::uint64_t bytes) const { return entries_.empty() || bytes_ + bytes <= kMaxBytes; }

void CommitBatch::Add(Entry entry, std::uint64_t bytes)
{
    if (entries_.empty())
        started_ = std::chrono::steady_clock::now();
    entries_.push_back(std::move(entry));
    bytes_ += bytes;
}

bool CommitBatch::Due() const
{
    return entries_.size() >= kMaxFiles || bytes_ >= kMaxBytes ||
           (!entries_.empty() && std::chrono::steady_clock::now() - started_ >= kMaxWait);
}

// One flush per file system reaches the device once for every file of the
// batch on it.
bool CommitBatch::FlushData() const
{
    std::vector<dev_t> flushed;
    for (const Entry& entry : entries_) {
        const dev_t device = entry.temporaryFacts.device;
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

bool CommitBatch::Commit(const Report& report)
{
    // Whatever happens, the batch lets go of its files and folders.
    struct Clear {
        CommitBatch& batch;
        ~Clear()
        {
            batch.entries_.clear();
            batch.bytes_ = 0;
        }
    } clear{*this};
    // Where the one flush fails, each file is flushed on its own, so the
    // files before the failing one still take their names.
    const bool durable = FlushData();
    std::size_t done = 0;
    bool ok = true;
    for (; done < entries_.size(); ++done) {
        const Entry& entry = entries_[done];
        if (!durable && entry.placement != Placement::None && !FlushOne(entry)) {
            ok = false;
            break;
        }
        const bool placed = Place(entry);
        report(done, placed);
    }
    FlushFolders(done);
    return ok;
}

} // namespace ravo::platform
