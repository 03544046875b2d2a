// Copy without overwrite on Windows: CopyFileA with fail-if-exists onto a
// fresh name of this process's own beside the backup's name.
#include "platform/file_copy.h"

#include <atomic>
#include <string>

#include "platform/file_api_win32.h"

namespace ravo::platform {

namespace {

// Removes the partial copy, unless someone has put another file under its
// name meanwhile.
void RemoveIfStill(const std::string& path, const FileFacts& made)
{
    FileFacts now;
    if (EntryFacts(path, now) && now.SameFileAs(made))
        ::DeleteFileA(path.c_str());
}

// Copies the open source onto a fresh hidden name in `folder`, never over an
// existing file; `name` gets that name. The source is held open meanwhile,
// shared for reading only, so nobody can swap, change or remove it while the
// system copies it by its name.
bool CopyOntoFreshName(const std::string& source, const FolderHandle& folder, std::string& name)
{
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = ".ravo-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(made++) + ".tmp";
        const std::string path = FullPath({folder, name});
        if (::CopyFileA(source.c_str(), path.c_str(), TRUE))
            return true;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return Fail();
    }
    return FailWith(kErrorFileExists);
}

// Until its data is flushed the copy stays writable; it takes the source's
// read-only attribute as it takes its name.
bool KeepWritable(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Fail();
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return true;
    return ::SetFileAttributesA(path.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}) || Fail();
}

// The copy took the access list of the backup folder; it gets the
// source's instead, so that a private file's copy stays private.
bool GiveSourcesAccess(HANDLE source, const std::string& path, const FileFacts& made)
{
    const HANDLE copy = OpenIfStill(path, made, WRITE_DAC | READ_CONTROL);
    if (copy == INVALID_HANDLE_VALUE)
        return false;
    const bool given = GiveAccessList(source, copy);
    ::CloseHandle(copy);
    return given;
}

} // namespace

bool CopyToTemporary(const std::string& source, const FolderHandle& folder, const std::string& name,
                     CommitBatch::Entry& entry, std::uint64_t& bytes)
{
    if (name.empty())
        return FailWith(kErrorAccessDenied);
    if (::GetFileAttributesA(FullPath({folder, name}).c_str()) != INVALID_FILE_ATTRIBUTES)
        return FailWith(kErrorFileExists);
    if (::GetLastError() != ERROR_FILE_NOT_FOUND)
        return Fail();
    FileFacts sourceFacts;
    FilePlace from;
    const HANDLE in = OpenRegularForReading(source.c_str(), sourceFacts, from);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    std::string temporary;
    if (!CopyOntoFreshName(FullPath(from), folder, temporary)) {
        ::CloseHandle(in);
        return false;
    }
    const std::string path = FullPath({folder, temporary});
    FileFacts made;
    const bool kept = EntryFacts(path, made) && GiveSourcesAccess(in, path, made) && KeepWritable(path);
    ::CloseHandle(in);
    if (!kept) {
        const std::uint32_t error = GetLastError();
        RemoveIfStill(path, made);
        return FailWith(error);
    }
    entry = {{folder, temporary}, made, name, sourceFacts, CommitBatch::Placement::NoReplace};
    bytes = sourceFacts.Size();
    return true;
}

} // namespace ravo::platform
