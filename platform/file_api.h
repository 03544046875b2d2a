// The file calls the line-oriented text files stand on: open, read, write,
// close, file type and the error code of the last failure, with the error
// numbers of this platform translated into the codes the program shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/stat.h>
#include <sys/types.h>

namespace ravo::platform {

// Codes recorded by a failing call. The four named situations keep their
// classic numbers; every other failure gets a fixed code of its own.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorTooManyOpenFiles = 4;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotSameDevice = 17;
inline constexpr std::uint32_t kErrorGeneralFailure = 31;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorInvalidName = 123;
inline constexpr std::uint32_t kErrorFilenameTooLong = 206;
inline constexpr std::uint32_t kErrorFileTooLarge = 223;
inline constexpr std::uint32_t kErrorIoDevice = 1117;

// The code of the latest failed call on this thread; a successful call leaves
// it as it was.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t code);

// Translates an errno value. A missing entry (ENOENT) is told apart by the
// path: code 2 when the folder that should hold it exists, 3 when the folder
// itself is missing. Without a path ENOENT gives 2.
std::uint32_t Win32CodeFromErrno(int errnum, const char* path = nullptr);

// An open file. Regular files are read ahead and written behind in large
// blocks here, so that callers may move 128 bytes at a time cheaply; the
// bytes written behind reach the disk at the latest when the handle closes,
// and a failure to write them is reported by that close.
struct OpenFile;
using FileHandle = OpenFile*;
inline constexpr FileHandle kInvalidHandle = nullptr;

enum class FileAccess { Read, Write };

// Values of GetFileType.
inline constexpr int kFileTypeUnknown = 0;
inline constexpr int kFileTypeDisk = 1;
inline constexpr int kFileTypeChar = 2;
inline constexpr int kFileTypePipe = 3;

// Read: opens an existing regular file, following symbolic links; anything
// else under the name (a folder, device, FIFO or socket) fails with 5 without
// being opened for real, and no open ever waits.
// Write: makes a fresh, owner-only (0600) regular file; an entry already under
// the name is never opened or followed. A read-only regular file (owner-write
// bit off, whoever runs the program), a folder and a device fail with 5; any
// other regular file, symbolic link, FIFO or socket is removed by name first,
// and one that cannot be removed fails with 5.
// An empty name stands for the standard input (Read) or output (Write),
// whatever they are. Gives kInvalidHandle on failure.
FileHandle CreateFile(const char* name, FileAccess access);

// What a file was when it was opened: which file it is, who owns it, its mode,
// and whether the name reached it through a symbolic link.
struct FileFacts {
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    bool reachedThroughLink = false;
};

const FileFacts& FactsOf(FileHandle file);

// The descriptor behind an open file, for calls that act on the file itself.
int DescriptorOf(FileHandle file);

// A mode the file written through `file` takes when it closes, after the last
// of its bytes: a write by an ordinary user would clear set-id bits given
// earlier.
void SetModeAtClose(FileHandle file, mode_t mode);

// Opens a regular file for reading by the rules of CreateFile(name, Read)
// and gives its bare descriptor, or -1 with the code recorded. `facts` gets
// what the system says of the opened file.
int OpenRegularForReading(const char* name, struct stat& facts, bool& reachedThroughLink);

// Reads up to size bytes; bytesRead 0 means the end of the file.
bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead);
bool WriteFile(FileHandle file, const void* data, std::size_t size);

// Writes out whatever waits, then closes. A regular file written through the
// handle is on the disk (its data flushed) before the call succeeds. The
// handle is gone afterwards even when the call fails.
bool CloseHandle(FileHandle file);

// kFileTypeChar for a character device, kFileTypeUnknown when the file cannot
// be classified, kFileTypeDisk or kFileTypePipe otherwise.
int GetFileType(FileHandle file);

} // namespace ravo::platform
