// Replacing files on Windows: the new file is given the listed file's
// attributes, creation time and access list through its own handle, then
// takes the listed name by MoveFileExA, written through; backup copies take
// theirs the same way without overwriting. FlushFileBuffers for the data.
#include "platform/safe_replace.h"

#include "platform/file_api_win32.h"

namespace ravo::platform {

namespace {

bool StillOurs(const std::string& path, const FileFacts& facts)
{
    const HANDLE handle = OpenIfStill(path, facts, FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

} // namespace


// The attributes (a hidden or system file stays one), the creation time and
// the access list of the listed file are given through the temporary file's
// handle, so the rename that follows keeps them whatever the file system.
bool TakeOverAttributes(FileHandle listed, const FilePlace& temporary, const FileFacts& written)
{
    if (FactsOf(listed).IsReadOnly())
        return FailWith(kErrorAccessDenied);
    const HANDLE handle = OpenIfStill(FullPath(temporary), written, FILE_WRITE_ATTRIBUTES | WRITE_DAC | READ_CONTROL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO listedTimes{};
    if (!::GetFileInformationByHandleEx(NativeHandleOf(listed), FileBasicInfo, &listedTimes, sizeof listedTimes)) {
        Fail();
        ::CloseHandle(handle);
        return false;
    }
    // Times left at zero stay as they are: the new content was written now.
    FILE_BASIC_INFO basic{};
    basic.CreationTime = listedTimes.CreationTime;
    basic.FileAttributes = NativeAttributes(FactsOf(listed)) & kept;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    const bool given = GiveAccessList(NativeHandleOf(listed), handle) &&
                       (::SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic) || Fail());
    ::CloseHandle(handle);
    return given;
}

// A rename over the listed name: the name holds the old or the new file at
// every moment, and the rename is on the disk before the call returns.
// ReplaceFileA would keep a few things more (the short name, named streams),
// but it cannot be written through, and where it fails to move the new file
// in it may already have taken the old one away, leaving the listed name
// empty; what matters of the old file was given by TakeOverAttributes.
bool ReplaceFileAtomically(const FilePlace& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts)
{
    const std::string listedPath = FullPath({written.folder, listed});
    FileFacts now;
    if (!EntryFacts(listedPath, now))
        return false;
    if (!now.IsRegular() || !now.SameFileAs(listedFacts) || now.IsReadOnly())
        return FailWith(kErrorAccessDenied);
    const std::string writtenPath = FullPath(written);
    if (!StillOurs(writtenPath, writtenFacts))
        return false;
    return ::MoveFileExA(writtenPath.c_str(), listedPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
           Fail();
}

bool CommitBatch::HoldsEntryAt(const FilePlace& place) const
{
    FileFacts there;
    return !entries_.empty() && EntryFacts(FullPath(place), there) && Holds(there);
}

// The temporary file, if it is still the one written, flushed on its own.
bool CommitBatch::FlushOne(const Entry& entry)
{
    const HANDLE handle = OpenIfStill(FullPath(entry.temporary), entry.temporaryFacts, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = ::FlushFileBuffers(handle) || Fail();
    ::CloseHandle(handle);
    return flushed;
}

// Gives the temporary file the target's name unless that name is taken,
// checked and done in one step; the rename reaches the disk before the call
// returns. A copy that could not take its name is removed.
bool CommitBatch::PlaceWithoutOverwriting(const Entry& entry)
{
    const std::string temporary = FullPath(entry.temporary);
    if (!StillOurs(temporary, entry.temporaryFacts))
        return false;
    const std::string target = FullPath({entry.temporary.folder, entry.target});
    // A copy of a read-only file becomes read-only only now: until its data
    // was flushed it had to stay writable.
    const DWORD attributes = NativeAttributes(entry.targetFacts);
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !::SetFileAttributesA(temporary.c_str(), attributes)) {
        Fail();
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    if (::MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    Fail();
    ::DeleteFileA(temporary.c_str());
    return false;
}

// Removes the temporary file if it is still the one written.
void CommitBatch::Discard(const Entry& entry)
{
    const std::string temporary = FullPath(entry.temporary);
    if (StillOurs(temporary, entry.temporaryFacts))
        ::DeleteFileA(temporary.c_str());
}

// The system flushes a whole volume only for its administrators, so the
// batch's files are flushed one by one, all of them before the first takes
// its name: one wait on the drive per file, but no file is in place before
// the whole batch is on the disk. Where one fails, Commit flushes each again
// just before its rename, so that the files before the failing one are
// still put in place.
bool CommitBatch::FlushData() const
{
    for (const Entry& entry : entries_)
        if (entry.placement != Placement::None && !FlushOne(entry))
            return false;
    return true;
}

// Every rename, of a rewrite or of a backup copy, was written through.
void CommitBatch::FlushFolders(std::size_t) const {}

} // namespace ravo::platform
