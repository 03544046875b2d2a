// Copy without overwrite and the atomic replacement of a rewritten file.
#include "platform/file_copy.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_api.h"

namespace ravo::platform {

namespace {

constexpr std::size_t kCopyBlock = 128 * 1024;

bool Fail(int errnum, const std::string& path)
{
    SetLastError(Win32CodeFromErrno(errnum, path.c_str()));
    return false;
}

// Closes the descriptor when it goes out of scope, unless released.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool CopyBytes(int from, int to)
{
    const auto block = std::make_unique<char[]>(kCopyBlock);
    for (;;) {
        const ssize_t n = ::read(from, block.get(), kCopyBlock);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, block.get() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno != EINTR)
                return false;
            if (w > 0)
                done += w;
        }
    }
}

// Fills the freshly created destination and gives it the source's mode and
// time; the caller removes it when this fails.
bool FillCopy(int source, const struct stat& sourceStat, Descriptor& destination)
{
    if (!CopyBytes(source, destination.get()) || ::fchmod(destination.get(), sourceStat.st_mode & 07777) != 0)
        return false;
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    if (::futimens(destination.get(), times) != 0)
        return false;
    return ::close(destination.release()) == 0;
}

} // namespace

bool CopyFileNoOverwrite(const std::string& source, const std::string& destination)
{
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return Fail(errno, source);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return Fail(errno, source);
    if (!S_ISREG(st.st_mode))
        return Fail(EISDIR, source);
    Descriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0)
        return Fail(errno, destination);
    if (!FillCopy(in.get(), st, out)) {
        const int error = errno;
        ::unlink(destination.c_str());
        return Fail(error, destination);
    }
    return true;
}

bool ReplaceFileAtomically(const std::string& replacement, const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return Fail(errno, target);
    if ((st.st_mode & S_IWUSR) == 0)
        return Fail(EACCES, target);
    struct stat mine {};
    if (::stat(replacement.c_str(), &mine) != 0)
        return Fail(errno, replacement);
    // Keeping the owner is possible only for root; elsewhere the rewritten
    // file belongs to whoever ran the program, as any new file would.
    // A change of owner may clear set-id bits, so the bits are set after it.
    const bool chowned = mine.st_uid != st.st_uid || mine.st_gid != st.st_gid;
    if (chowned)
        (void)!::chown(replacement.c_str(), st.st_uid, st.st_gid);
    if ((chowned || (mine.st_mode & 07777) != (st.st_mode & 07777)) &&
        ::chmod(replacement.c_str(), st.st_mode & 07777) != 0)
        return Fail(errno, replacement);
    if (::rename(replacement.c_str(), target.c_str()) != 0)
        return Fail(errno, target);
    return true;
}

} // namespace ravo::platform
