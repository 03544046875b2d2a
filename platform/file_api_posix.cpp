// The file calls on POSIX: errno translated into the program's codes, and a
// block buffer per regular file below the callers' own small buffers.
#include "platform/file_api.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/current_folder.h"
#include "platform/file_api_posix.h"
#include "platform/file_block.h"
#include "platform/path.h"

namespace ravo::platform {

namespace {

thread_local std::uint32_t lastError = 0;

std::uint32_t CodeForMissingEntry(const char* path)
{
    const std::string_view folder = path == nullptr ? std::string_view() : FolderPart(path);
    if (folder.empty())
        return kErrorFileNotFound;
    return FolderExists(std::string(folder)) ? kErrorFileNotFound : kErrorPathNotFound;
}

ssize_t ReadRetrying(int fd, void* buffer, std::size_t size)
{
    ssize_t n;
    do
        n = ::read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
}

// Writes everything or fails; a short write is followed up until the system
// reports why it stopped.
bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FailWith(errno);
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int TypeOf(mode_t mode)
{
    if (S_ISCHR(mode))
        return kFileTypeChar;
    if (S_ISFIFO(mode) || S_ISSOCK(mode))
        return kFileTypePipe;
    return kFileTypeDisk;
}

} // namespace

// Only regular files get a block; other files pass every call straight
// through.
struct OpenFile {
    int fd = -1;
    bool writing = false;
    int type = kFileTypeUnknown;
    FileFacts facts;
    FilePlace place;
    std::unique_ptr<FileBlock> block;

    bool FlushBlock()
    {
        return block->Flush([this](const char* data, std::size_t size) { return WriteAll(fd, data, size); });
    }
};

std::uint32_t GetLastError() { return lastError; }

void SetLastError(std::uint32_t code) { lastError = code; }

bool FailWith(int errnum)
{
    lastError = Win32CodeFromErrno(errnum);
    return false;
}

std::size_t PathSizeLimit() { return PATH_MAX; }

std::uint32_t Win32CodeFromErrno(int errnum, const char* path)
{
    switch (errnum) {
    case 0: return kErrorGeneralFailure;
    case ENOENT: return CodeForMissingEntry(path);
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case EXDEV: return kErrorNotSameDevice;
    case EEXIST: return kErrorFileExists;
    case EINVAL: return kErrorInvalidParameter;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case ENAMETOOLONG: return kErrorFilenameTooLong;
    case EFBIG: return kErrorFileTooLarge;
    case EIO: return kErrorIoDevice;
    case ELOOP: return kErrorInvalidName;
    default: return kErrorGeneralFailure;
    }
}

struct OpenFolder {
    explicit OpenFolder(int descriptor) : fd(descriptor) {}
    ~OpenFolder() { ::close(fd); }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    const int fd;
};

int DescriptorOf(const OpenFolder& folder) { return folder.fd; }

namespace {

constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
constexpr int kFreshFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
constexpr mode_t kOwnerOnly = 0600;
// As many links in a row as the system itself follows.
constexpr int kMaxLinksFollowed = 40;

// Splits a path at its last separator: "a/b" into "a" and "b", "b" into "."
// and "b", "/b" into "/" and "b". A path that ends with a separator names
// its folder itself.
std::pair<std::string, std::string> SplitPath(std::string_view path)
{
    const std::string_view folder = FolderPart(path);
    if (folder.empty())
        return {".", std::string(path)};
    const std::string_view name = FileName(path);
    return {std::string(folder), name.empty() ? "." : std::string(name)};
}

// Opens a folder relative to `at`; a missing one is a missing path.
FolderHandle OpenFolderAt(int at, const char* path)
{
    int fd = ::openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::openat(at, path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        lastError = errno == ENOENT ? kErrorPathNotFound : Win32CodeFromErrno(errno);
        return nullptr;
    }
    return std::make_shared<OpenFolder>(fd);
}

// The place of `path` taken relative to `base` (the current folder when
// null): its folder opened, and its last name.
bool PlaceFor(const FolderHandle& base, std::string_view path, FilePlace& place)
{
    auto [folder, name] = SplitPath(path);
    place.name = std::move(name);
    if (folder == "." && base) {
        place.folder = base;
        return true;
    }
    place.folder = OpenFolderAt(base ? base->fd : AT_FDCWD, folder.c_str());
    return place.folder != nullptr;
}

std::string LinkTarget(int folder, const std::string& name)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < target.size()) {
            target.resize(static_cast<std::size_t>(n));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

// Follows symbolic links from `place` until it names something else, each
// step relative to the folder reached; `entry` gets what stands there.
bool FollowLinks(FilePlace& place, struct stat& entry)
{
    for (int followed = 0;; ++followed) {
        if (::fstatat(place.folder->fd, place.name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            lastError = errno == ENOENT ? kErrorFileNotFound : Win32CodeFromErrno(errno);
            return false;
        }
        if (!S_ISLNK(entry.st_mode))
            return true;
        const std::string target = followed < kMaxLinksFollowed ? LinkTarget(place.folder->fd, place.name) : "";
        if (target.empty())
            return FailWith(followed < kMaxLinksFollowed ? errno : ELOOP);
        FilePlace next;
        if (!PlaceFor(target[0] == '/' ? nullptr : place.folder, target, next))
            return false;
        place = std::move(next);
    }
}

// Moves an entry out of the way of a fresh file of its name, without ever
// opening or following it. Gives 0 when the name is free, else the errno.
int ClearName(int folder, const char* name)
{
    struct stat st {};
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    // A folder or a device is never taken for a leftover temporary file; a
    // read-only file is refused as the read-only rule says.
    if (S_ISDIR(st.st_mode) || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return EACCES;
    const FileFacts facts = FactsFrom(st);
    if (facts.IsRegular() && facts.IsReadOnly())
        return EACCES;
    if (::unlinkat(folder, name, 0) != 0 && errno != ENOENT)
        return EACCES;
    return 0;
}

// Gives the new descriptor, or -1 with the code recorded. An entry under the
// name is moved out of the way and the creation tried again; someone who
// plants a new one meanwhile gets one more removal, a second plant is
// refused.
int CreateFreshFile(const FilePlace& place, struct stat& st)
{
    const int folder = place.folder->fd;
    const char* name = place.name.c_str();
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        fd = ::openat(folder, name, kFreshFileFlags, kOwnerOnly);
        if (fd >= 0)
            break;
        const int error = errno != EEXIST ? errno : attempt < 2 ? ClearName(folder, name) : EACCES;
        if (error != 0) {
            lastError = error == ENOENT ? kErrorPathNotFound : Win32CodeFromErrno(error);
            return -1;
        }
    }
    // The umask may have taken bits the owner needs, or left none to take.
    if (::fstat(fd, &st) != 0 || ((st.st_mode & 07777) != kOwnerOnly && ::fchmod(fd, kOwnerOnly) != 0)) {
        FailWith(errno);
        ::close(fd);
        ::unlinkat(folder, name, 0);
        return -1;
    }
    st.st_mode = (st.st_mode & ~07777) | kOwnerOnly;
    return fd;
}

int DuplicateStandardStream(FileAccess access, struct stat& st)
{
    const int fd = ::fcntl(access == FileAccess::Read ? STDIN_FILENO : STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        FailWith(errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Opens the regular file at `place` for reading, links followed.
int OpenRegularAt(FilePlace& place, struct stat& st)
{
    // Asking first keeps a device from being opened at all: opening one may
    // act on the hardware. The check on the descriptor settles it.
    struct stat entry {};
    if (!FollowLinks(place, entry))
        return -1;
    if (!S_ISREG(entry.st_mode)) {
        FailWith(EACCES);
        return -1;
    }
    const int fd = ::openat(place.folder->fd, place.name.c_str(), kReadFlags);
    if (fd < 0) {
        lastError = errno == ENOENT ? kErrorFileNotFound : Win32CodeFromErrno(errno);
        return -1;
    }
    const bool known = ::fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = known ? EACCES : errno;
        ::close(fd);
        FailWith(error);
        return -1;
    }
    return fd;
}

FileHandle Open(const FolderHandle& base, const char* name, FileAccess access)
{
    struct stat st {};
    FilePlace place;
    int fd;
    if (name[0] == '\0')
        fd = DuplicateStandardStream(access, st);
    else if (!PlaceFor(base, name, place))
        fd = -1;
    else if (access == FileAccess::Read)
        fd = OpenRegularAt(place, st);
    else
        fd = CreateFreshFile(place, st);
    if (fd < 0)
        return kInvalidHandle;
    auto file = std::make_unique<OpenFile>();
    file->fd = fd;
    file->writing = access == FileAccess::Write;
    file->type = TypeOf(st.st_mode);
    file->facts = FactsFrom(st);
    file->place = std::move(place);
    if (S_ISREG(st.st_mode)) {
        file->block = std::make_unique<FileBlock>();
        if (!file->writing && st.st_size > static_cast<off_t>(FileBlock::kSize))
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return file.release();
}

} // namespace

FolderHandle OpenFolderNamed(const char* path) { return OpenFolderAt(AT_FDCWD, path); }

bool PlaceOfPath(const char* path, FilePlace& place) { return PlaceFor(nullptr, path, place); }

int OpenRegularForReading(const char* name, struct stat& st, FilePlace& place)
{
    if (!PlaceFor(nullptr, name, place))
        return -1;
    return OpenRegularAt(place, st);
}

FileHandle CreateFile(const char* name, FileAccess access) { return Open(nullptr, name, access); }

FileHandle CreateFileIn(const FolderHandle& folder, const char* name, FileAccess access)
{
    return Open(folder, name, access);
}

// The facts keep what the system gives in fields of fixed width.
static_assert(sizeof(dev_t) <= sizeof(std::uint64_t) && sizeof(ino_t) <= sizeof(std::uint64_t));
static_assert(sizeof(uid_t) <= sizeof(std::uint32_t) && sizeof(gid_t) <= sizeof(std::uint32_t) &&
              sizeof(mode_t) <= sizeof(std::uint32_t));

FileFacts NativeFacts::From(const struct stat& st)
{
    FileFacts facts;
    facts.volume_ = st.st_dev;
    facts.index_ = st.st_ino;
    facts.size_ = static_cast<std::uint64_t>(st.st_size);
    facts.owner_ = st.st_uid;
    facts.group_ = st.st_gid;
    facts.mode_ = st.st_mode;
    return facts;
}

bool FileFacts::IsRegular() const { return S_ISREG(mode_); }

bool FileFacts::IsReadOnly() const { return (mode_ & S_IWUSR) == 0; }

bool EntryFacts(int folder, const char* name, FileFacts& facts)
{
    struct stat st {};
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    facts = FactsFrom(st);
    return true;
}

const FileFacts& FactsOf(FileHandle file) { return file->facts; }

const FilePlace& PlaceOf(FileHandle file) { return file->place; }

int DescriptorOf(FileHandle file) { return file->fd; }

bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead)
{
    bytesRead = 0;
    if (file == kInvalidHandle || file->writing) {
        lastError = file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied;
        return false;
    }
    const auto readSome = [file](char* into, std::size_t capacity, std::size_t& got) {
        const ssize_t n = ReadRetrying(file->fd, into, capacity);
        if (n < 0)
            return FailWith(errno);
        got = static_cast<std::size_t>(n);
        return true;
    };
    char* out = static_cast<char*>(buffer);
    return file->block ? file->block->Read(out, size, bytesRead, readSome) : readSome(out, size, bytesRead);
}

bool WriteFile(FileHandle file, const void* data, std::size_t size)
{
    if (file == kInvalidHandle || !file->writing) {
        lastError = file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied;
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    const auto writeAll = [file](const char* block, std::size_t n) { return WriteAll(file->fd, block, n); };
    return file->block ? file->block->Write(bytes, size, writeAll) : writeAll(bytes, size);
}

bool CloseHandle(FileHandle file)
{
    if (file == kInvalidHandle) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    const std::unique_ptr<OpenFile> owned(file);
    bool ok = !owned->writing || !owned->block || owned->FlushBlock();
    if (::close(owned->fd) != 0 && ok && errno != EINTR) {
        FailWith(errno);
        ok = false;
    }
    return ok;
}

int GetFileType(FileHandle file) { return file == kInvalidHandle ? kFileTypeUnknown : file->type; }

} // namespace ravo::platform
