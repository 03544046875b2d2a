// The file calls the line-oriented text files stand on: open, read, write,
// close, file type and the error code of the last failure, with the error
// numbers of this platform translated into the codes the program shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
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

// An open folder, shared by the files opened in it. Every later step on a
// file's name (its temporary file, the checks, the rename) is taken relative
// to the folder that held the file when it was opened, never through its path
// again, so that nobody can swap a folder on the path in between.
struct OpenFolder;
using FolderHandle = std::shared_ptr<OpenFolder>;

// Where a file lies: its folder and its name there, a name that is not a
// symbolic link. The standard streams have no place.
struct FilePlace {
    FolderHandle folder;
    std::string name;
};

// Opens the folder `path` names, links followed; null with the code recorded
// when it cannot. A folder that may be searched but not read is opened all
// the same.
FolderHandle OpenFolderNamed(const char* path);

// The place `path` names: its folder part opened, and its last name (not
// followed); false with the code recorded when the folder cannot be opened.
bool PlaceOfPath(const char* path, FilePlace& place);

// The descriptor of an open folder, for calls relative to it.
int DescriptorOf(const OpenFolder& folder);

// An open file. Regular files are read ahead and written behind in large
// blocks here, so that callers may move 128 bytes at a time cheaply; the
// bytes written behind reach the file at the latest when the handle closes,
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

// Read: opens an existing regular file. The folder part of the name is opened
// once; a symbolic link at the end is followed one step at a time, each step
// relative to the folder reached, and the file is opened in the folder where
// that ends. Anything else under the name (a folder, device, FIFO or socket)
// fails with 5 without being opened for real, and no open ever waits.
// Write: makes a fresh, owner-only (0600) regular file; an entry already under
// the name is never opened or followed. A read-only regular file (owner-write
// bit off, whoever runs the program), a folder and a device fail with 5; any
// other regular file, symbolic link, FIFO or socket is removed by name first,
// and one that cannot be removed fails with 5.
// An empty name stands for the standard input (Read) or output (Write),
// whatever they are. Gives kInvalidHandle on failure.
FileHandle CreateFile(const char* name, FileAccess access);

// As CreateFile, with the name taken relative to `folder`.
FileHandle CreateFileIn(const FolderHandle& folder, const char* name, FileAccess access);

// What a file was when it was opened: which file it is, who owns it, its mode
// and its size.
struct FileFacts {
    dev_t device = 0;
    ino_t inode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    std::uint64_t size = 0;

    bool SameFileAs(const FileFacts& other) const { return device == other.device && inode == other.inode; }
};

FileFacts FactsFrom(const struct stat& st);

const FileFacts& FactsOf(FileHandle file);
const FilePlace& PlaceOf(FileHandle file);

// The descriptor behind an open file, for calls that act on the file itself.
int DescriptorOf(FileHandle file);

// Opens a regular file for reading by the rules of CreateFile(name, Read)
// and gives its bare descriptor, or -1 with the code recorded. `facts` gets
// what the system says of the opened file, `place` where it lies.
int OpenRegularForReading(const char* name, struct stat& facts, FilePlace& place);

// True when the file's owner may not write it: the read-only attribute.
inline bool IsReadOnly(mode_t mode) { return (mode & S_IWUSR) == 0; }

// Reads up to size bytes; bytesRead 0 means the end of the file.
bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead);
bool WriteFile(FileHandle file, const void* data, std::size_t size);

// Writes out whatever waits, then closes. The bytes are in the file, not yet
// flushed to the disk: a batch of rewritten files is flushed at once (see
// commit_batch.h). The handle is gone afterwards even when the call fails.
bool CloseHandle(FileHandle file);

// kFileTypeChar for a character device, kFileTypeUnknown when the file cannot
// be classified, kFileTypeDisk or kFileTypePipe otherwise.
int GetFileType(FileHandle file);

} // namespace ravo::platform
