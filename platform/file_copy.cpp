// Copy without overwrite.
#include "platform/file_copy.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_api.h"
#include "platform/file_attributes.h"

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
    const auto block = std::make_unique_for_overwrite<char[]>(kCopyBlock);
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

// Fills the freshly created destination and gives it the source's attributes,
// mode and time; the caller removes it when this fails.
bool FillCopy(int source, const struct stat& sourceStat, Descriptor& destination)
{
    if (!CopyBytes(source, destination.get()))
        return false;
    mode_t mode = sourceStat.st_mode & 07777;
    switch (CopyExtendedAttributes(source, destination.get())) {
    case AttributeCopy::Complete: break;
    case AttributeCopy::AccessListDropped: mode &= ~static_cast<mode_t>(077); break;
    case AttributeCopy::Failed: return false;
    }
    if (::fchmod(destination.get(), mode) != 0)
        return false;
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    if (::futimens(destination.get(), times) != 0)
        return false;
    return ::close(destination.release()) == 0;
}

// Removes the partial copy, unless someone has put another file under its
// name meanwhile.
void RemoveIfStill(const std::string& path, bool known, const struct stat& made)
{
    struct stat now {};
    if (known && ::lstat(path.c_str(), &now) == 0 && now.st_dev == made.st_dev && now.st_ino == made.st_ino)
        ::unlink(path.c_str());
}

} // namespace

bool CopyFileNoOverwrite(const std::string& source, const std::string& destination)
{
    struct stat st {};
    bool throughLink = false;
    Descriptor in(OpenRegularForReading(source.c_str(), st, throughLink));
    if (in.get() < 0)
        return false;
    Descriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
    if (out.get() < 0)
        return Fail(errno, destination);
    struct stat made {};
    const bool known = ::fstat(out.get(), &made) == 0;
    if (!FillCopy(in.get(), st, out)) {
        const int error = errno;
        RemoveIfStill(destination, known, made);
        return Fail(error, destination);
    }
    return true;
}

} // namespace ravo::platform
