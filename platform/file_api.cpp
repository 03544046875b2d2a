// The file calls on POSIX: errno translated into the program's codes, and a
// block buffer per regular file below the callers' own small buffers.
#include "platform/file_api.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ravo::platform {

namespace {

thread_local std::uint32_t lastError = 0;

// Large enough that a 128-byte caller costs a system call only every few
// hundred calls.
constexpr std::size_t kBlockSize = 64 * 1024;

bool FolderExists(const std::string& folder)
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::uint32_t CodeForMissingEntry(const char* path)
{
    if (path == nullptr)
        return kErrorFileNotFound;
    std::string folder(path);
    const auto slash = folder.find_last_of('/');
    if (slash == std::string::npos)
        return kErrorFileNotFound;
    folder.resize(slash == 0 ? 1 : slash);
    return FolderExists(folder) ? kErrorFileNotFound : kErrorPathNotFound;
}

std::uint32_t Fail(int errnum, const char* path = nullptr)
{
    lastError = Win32CodeFromErrno(errnum, path);
    return lastError;
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
            Fail(errno);
            return false;
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

bool ClearNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

} // namespace

// Invariant: reading, block[start, end) are bytes read ahead and not yet
// handed out; writing, block[0, end) are bytes waiting to be written. Only
// regular files get a block; other files pass every call straight through.
struct OpenFile {
    int fd = -1;
    bool writing = false;
    int type = kFileTypeUnknown;
    // The last read of a caller's request met the end: the next request gets
    // the end without asking the system again.
    bool endPending = false;
    std::unique_ptr<char[]> block;
    std::size_t start = 0;
    std::size_t end = 0;

    bool FlushBlock()
    {
        const std::size_t waiting = end;
        end = 0;
        return waiting == 0 || WriteAll(fd, block.get(), waiting);
    }
};

std::uint32_t GetLastError() { return lastError; }

void SetLastError(std::uint32_t code) { lastError = code; }

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

namespace {

int OpenDescriptor(const char* name, FileAccess access)
{
    if (name[0] == '\0')
        return ::fcntl(access == FileAccess::Read ? STDIN_FILENO : STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    // Opening without blocking keeps a FIFO from hanging the open. A file for
    // writing is emptied only once it is known not to be read-only.
    if (access == FileAccess::Read)
        return ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    return ::open(name, O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
}

// Gives 0 when the freshly opened descriptor may be used, else the errno
// that says why not.
int PrepareOpened(int fd, const char* name, FileAccess access, struct stat& st)
{
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    const bool standardStream = name[0] == '\0';
    if (access == FileAccess::Write && !standardStream) {
        // The read-only attribute is the owner-write bit for everyone, root
        // too, who could otherwise empty the file.
        if ((st.st_mode & S_IWUSR) == 0)
            return EACCES;
        if (S_ISREG(st.st_mode) && st.st_size > 0 && ::ftruncate(fd, 0) != 0)
            return errno;
    }
    // Regular files ignore the flag; anything else is used blocking.
    if (!S_ISREG(st.st_mode) && !standardStream && !ClearNonBlocking(fd))
        return errno;
    return 0;
}

} // namespace

FileHandle CreateFile(const char* name, FileAccess access)
{
    const int fd = OpenDescriptor(name, access);
    if (fd < 0) {
        Fail(errno, name);
        return kInvalidHandle;
    }
    struct stat st {};
    if (const int error = PrepareOpened(fd, name, access, st); error != 0) {
        ::close(fd);
        Fail(error, name);
        return kInvalidHandle;
    }
    auto file = std::make_unique<OpenFile>();
    file->fd = fd;
    file->writing = access == FileAccess::Write;
    file->type = TypeOf(st.st_mode);
    if (S_ISREG(st.st_mode)) {
        file->block = std::make_unique<char[]>(kBlockSize);
        if (!file->writing && st.st_size > static_cast<off_t>(kBlockSize))
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return file.release();
}

bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead)
{
    bytesRead = 0;
    if (file == kInvalidHandle || file->writing) {
        lastError = file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied;
        return false;
    }
    if (!file->block) {
        const ssize_t n = ReadRetrying(file->fd, buffer, size);
        if (n < 0) {
            Fail(errno);
            return false;
        }
        bytesRead = static_cast<std::size_t>(n);
        return true;
    }
    // A regular file gives full reads up to its end, so callers' blocks keep
    // starting at multiples of their size.
    char* out = static_cast<char*>(buffer);
    if (file->endPending) {
        file->endPending = false;
        return true;
    }
    while (bytesRead < size) {
        if (file->start == file->end) {
            const ssize_t n = ReadRetrying(file->fd, file->block.get(), kBlockSize);
            if (n < 0) {
                Fail(errno);
                return bytesRead > 0;
            }
            if (n == 0) {
                file->endPending = bytesRead > 0;
                break;
            }
            file->start = 0;
            file->end = static_cast<std::size_t>(n);
        }
        const std::size_t take = std::min(size - bytesRead, file->end - file->start);
        std::memcpy(out + bytesRead, file->block.get() + file->start, take);
        file->start += take;
        bytesRead += take;
    }
    return true;
}

bool WriteFile(FileHandle file, const void* data, std::size_t size)
{
    if (file == kInvalidHandle || !file->writing) {
        lastError = file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied;
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    if (!file->block)
        return WriteAll(file->fd, bytes, size);
    if (kBlockSize - file->end < size && !file->FlushBlock())
        return false;
    if (size >= kBlockSize)
        return WriteAll(file->fd, bytes, size);
    std::memcpy(file->block.get() + file->end, bytes, size);
    file->end += size;
    return true;
}

bool CloseHandle(FileHandle file)
{
    if (file == kInvalidHandle) {
        lastError = kErrorInvalidHandle;
        return false;
    }
    const std::unique_ptr<OpenFile> owned(file);
    bool ok = !owned->writing || owned->FlushBlock();
    if (::close(owned->fd) != 0 && ok && errno != EINTR) {
        Fail(errno);
        ok = false;
    }
    return ok;
}

int GetFileType(FileHandle file) { return file == kInvalidHandle ? kFileTypeUnknown : file->type; }

bool IsReadOnly(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool DeleteFile(const char* path)
{
    struct stat st {};
    if (::lstat(path, &st) != 0) {
        Fail(errno, path);
        return false;
    }
    if (S_ISDIR(st.st_mode) || (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0)) {
        lastError = kErrorAccessDenied;
        return false;
    }
    if (::unlink(path) != 0) {
        Fail(errno, path);
        return false;
    }
    return true;
}

} // namespace ravo::platform
