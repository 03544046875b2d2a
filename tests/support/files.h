// Helpers for tests that work on real files: a scratch folder removed at the
// end, and whole-file reads and writes as bytes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <set>
#include <string>
#include <vector>
#ifdef _WIN32
#include <atomic>
#include <windows.h>
// The file layer's own CreateFile keeps its name; the system's is called as
// CreateFileA.
#undef CreateFile
#else
#include <sys/inotify.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

#include "platform/path.h"

namespace ravo::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempFolder {
public:
    TempFolder()
    {
#ifdef _WIN32
        static std::atomic<unsigned> made{0};
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; path_.empty() && attempt < 100; ++attempt) {
            const std::filesystem::path candidate =
                base / ("ravo-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(made++));
            if (::CreateDirectoryA(candidate.string().c_str(), nullptr))
                path_ = candidate.string();
        }
        if (path_.empty())
            throw std::runtime_error("cannot create a scratch folder");
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "ravo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a scratch folder");
        path_ = pattern;
#endif
    }
    ~TempFolder()
    {
#ifdef _WIN32
        // Read-only files would stay behind.
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            ::SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
#else
        std::error_code ignored;
#endif
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return platform::JoinPath(path_, name); }

private:
    std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32

inline bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Wine stands in for Windows in the tests; where it does not do what the
// system's documentation says, the test says so and is skipped there.
inline bool RunsUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The read-only attribute.
inline void MakeReadOnly(const std::string& path)
{
    if (!::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY))
        throw std::runtime_error("cannot make read-only " + path);
}

inline bool IsReadOnly(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// Files held open here as another program would hold them, until
// ReleaseHeldFiles. Sharing is settled per open, whoever holds the file, so
// an open of this process meets the same refusal as one of another.
inline std::vector<HANDLE> heldFiles;

inline std::string HeldOpen(const std::string& path, DWORD access, DWORD share)
{
    WriteBytes(path, "held\n");
    const HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot hold " + path);
    heldFiles.push_back(handle);
    return path;
}

inline void ReleaseHeldFiles()
{
    for (const HANDLE handle : heldFiles)
        ::CloseHandle(handle);
    heldFiles.clear();
}

// The access list of a file, as the bytes of its security descriptor's list.
inline std::string AccessList(const std::string& path)
{
    DWORD size = 0;
    ::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::string descriptor(size, '\0');
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    if (!::GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size) ||
        !::GetSecurityDescriptorDacl(descriptor.data(), &present, &list, &defaulted))
        throw std::runtime_error("cannot read the access list of " + path);
    return present && list != nullptr ? std::string(reinterpret_cast<const char*>(list), list->AclSize) : "<none>";
}

// Gives the file a protected access list: its owner may do anything, everyone
// else may read.
inline void SetOwnerAndReaders(const std::string& path)
{
    HANDLE token = nullptr;
    alignas(TOKEN_USER) unsigned char user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof user;
    alignas(ACL) unsigned char acl[512];
    unsigned char world[SECURITY_MAX_SID_SIZE];
    DWORD worldSize = sizeof world;
    SECURITY_DESCRIPTOR descriptor;
    const bool set = ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
                     ::GetTokenInformation(token, TokenUser, user, size, &size) &&
                     ::CreateWellKnownSid(WinWorldSid, nullptr, world, &worldSize) &&
                     ::InitializeAcl(reinterpret_cast<PACL>(acl), sizeof acl, ACL_REVISION) &&
                     ::AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, FILE_ALL_ACCESS,
                                           reinterpret_cast<TOKEN_USER*>(user)->User.Sid) &&
                     ::AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, FILE_GENERIC_READ, world) &&
                     ::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                     ::SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE) &&
                     ::SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED) &&
                     ::SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, &descriptor);
    if (token != nullptr)
        ::CloseHandle(token);
    if (!set)
        throw std::runtime_error("cannot set the access list of " + path);
}

// Number of handles this process holds open.
inline int OpenDescriptorCount()
{
    DWORD count = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &count))
        throw std::runtime_error("cannot count handles");
    return static_cast<int>(count);
}

#else

inline bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

inline mode_t PermissionBits(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw std::runtime_error("cannot stat " + path);
    return st.st_mode & 07777;
}

inline void SetPermissionBits(const std::string& path, mode_t bits)
{
    if (::chmod(path.c_str(), bits) != 0)
        throw std::runtime_error("cannot chmod " + path);
}

// The owner may not write it: the read-only attribute.
inline void MakeReadOnly(const std::string& path) { SetPermissionBits(path, 0444); }

// Makes the process's standard output the given file; for child processes.
inline bool RedirectStandardOutput(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    return fd >= 0 && ::dup2(fd, STDOUT_FILENO) == STDOUT_FILENO;
}

inline struct stat StatusOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throw std::runtime_error("cannot stat " + path);
    return st;
}

// The POSIX access list of a file in the short text form of the acl tools,
// e.g. "u::rw-,u:4242:rw-,g::---,m::rw-,o::---".
inline void SetAccessList(const std::string& path, const std::string& entries)
{
    const std::string command = "setfacl --set '" + entries + "' '" + path + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot set the access list of " + path);
}

// The access list as the acl tools show it, without the header naming the file.
inline std::string AccessList(const std::string& path)
{
    const std::string command = "getfacl --omit-header --numeric '" + path + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run getfacl");
    std::string text;
    char chunk[256];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        text.append(chunk, n);
    if (::pclose(pipe) != 0)
        throw std::runtime_error("cannot read the access list of " + path);
    return text;
}

inline std::string Attribute(const std::string& path, const char* name)
{
    char value[256];
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? std::string("<none>") : std::string(value, static_cast<std::size_t>(size));
}

// Number of descriptors this process holds open.
inline int OpenDescriptorCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// The names of the entries opened in a folder watched for IN_OPEN by the
// inotify descriptor `watch`, since it was last asked.
inline std::set<std::string> OpenedNames(int watch)
{
    std::set<std::string> names;
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len > 0)
                names.insert(event->name);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return names;
}

#endif

} // namespace ravo::testing
