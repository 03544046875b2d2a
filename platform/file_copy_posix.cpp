// Copy without overwrite on POSIX.
#include "platform/file_copy.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_api_posix.h"
#include "platform/file_attributes_posix.h"

namespace ravo::platform {

namespace {

constexpr std::size_t kCopyBlock = 128 * 1024;

constexpr int kFreshFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Removes the partial copy, unless someone has put another file under its
// name meanwhile.
void RemoveIfStill(int folder, const std::string& name, const FileFacts& made)
{
    FileFacts now;
    if (EntryFacts(folder, name.c_str(), now) && now.SameFileAs(made))
        ::unlinkat(folder, name.c_str(), 0);
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

// Fills the freshly created copy and gives it the source's attributes, mode
// and time; the caller removes it when this fails.
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

// A hidden name of this process's own in the folder, created exclusively.
int CreateTemporaryCopy(int folder, std::string& name)
{
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".ravo-" + std::to_string(::getpid()) + "-" + std::to_string(made++) + ".tmp";
        const int fd = ::openat(folder, name.c_str(), kFreshFlags, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool CopyToTemporary(const std::string& source, const FolderHandle& folder, const std::string& name,
                     CommitBatch::Entry& entry, std::uint64_t& bytes)
{
    const int into = DescriptorOf(*folder);
    struct stat st {};
    if (name.empty())
        return FailWith(EISDIR);
    if (::fstatat(into, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return FailWith(EEXIST);
    if (errno != ENOENT)
        return FailWith(errno);
    FilePlace from;
    Descriptor in(OpenRegularForReading(source.c_str(), st, from));
    if (in.get() < 0)
        return false;
    std::string temporary;
    Descriptor out(CreateTemporaryCopy(into, temporary));
    if (out.get() < 0)
        return FailWith(errno);
    struct stat made {};
    const bool known = ::fstat(out.get(), &made) == 0;
    if (!known || !FillCopy(in.get(), st, out)) {
        const int error = errno;
        if (known)
            RemoveIfStill(into, temporary, FactsFrom(made));
        return FailWith(error);
    }
    entry = {{folder, temporary}, FactsFrom(made), name, {}, CommitBatch::Placement::NoReplace};
    bytes = static_cast<std::uint64_t>(st.st_size);
    return true;
}

} // namespace ravo::platform
