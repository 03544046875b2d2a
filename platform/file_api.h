// The file calls the line-oriented text files stand on: open, read, write,
// close, file type and the error code of the last failure, with the error
// numbers of the system translated into the codes the program shows. Nothing
// here names the system's own types: a file's identity and kind are opaque
// facts with named questions, and the system's half (file_api_posix.h or
// file_api_win32.h and the files beside them) keeps descriptors, handles and
// the system's file information to itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

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

// The size of the longest path the system takes, its closing NUL included:
// a longer one names no file here.
std::size_t PathSizeLimit();

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
// Write: makes a fresh, owner-only regular file; an entry already under the
// name is never opened or followed. A read-only regular file (see
// FileFacts::IsReadOnly), a folder and a device fail with 5; any other
// regular file, symbolic link, FIFO or socket is removed by name first, and
// one that cannot be removed fails with 5.
// An empty name stands for the standard input (Read) or output (Write),
// whatever they are. Gives kInvalidHandle on failure.
FileHandle CreateFile(const char* name, FileAccess access);

// As CreateFile, with the name taken relative to `folder`.
FileHandle CreateFileIn(const FolderHandle& folder, const char* name, FileAccess access);

// What a file was when it was opened: which file it is, what kind, who may
// use it and its size. Callers ask it questions; what it holds beyond them
// (on POSIX the owner, group and mode the new file takes over) only the
// system's half reads, through NativeFacts.
class FileFacts {
public:
    bool SameFileAs(const FileFacts& other) const { return volume_ == other.volume_ && index_ == other.index_; }
    bool IsRegular() const;
    // The read-only attribute: on Windows the attribute itself, on POSIX
    // the file's owner may not write it, whoever runs the program.
    bool IsReadOnly() const;
    std::uint64_t Size() const { return size_; }

private:
    friend struct NativeFacts;

    // Which file: the volume that holds it and its number there.
    std::uint64_t volume_ = 0;
    std::uint64_t index_ = 0;
    std::uint64_t size_ = 0;
    // Its kind and who may use it, in the system's own terms.
    std::uint32_t owner_ = 0;
    std::uint32_t group_ = 0;
    std::uint32_t mode_ = 0;
};

const FileFacts& FactsOf(FileHandle file);
const FilePlace& PlaceOf(FileHandle file);

// Reads up to size bytes; bytesRead 0 means the end of the file.
bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead);
bool WriteFile(FileHandle file, const void* data, std::size_t size);

// Writes out whatever waits, then closes. The bytes are in the file, not yet
// flushed to the disk: a batch of rewritten files is flushed at once (see
// safe_replace.h). The handle is gone afterwards even when the call fails.
bool CloseHandle(FileHandle file);

// kFileTypeChar for a character device, kFileTypeUnknown when the file cannot
// be classified, kFileTypeDisk or kFileTypePipe otherwise.
int GetFileType(FileHandle file);

} // namespace ravo::platform
