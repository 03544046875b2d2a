// The file calls on Windows: CreateFileA with the share modes of the text
// files, the system's own error codes, and a block buffer per disk file (see
// file_block.h).
#include "platform/file_api_win32.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <aclapi.h>

#include "platform/file_block.h"
#include "platform/path.h"

namespace ravo::platform {

namespace {

thread_local std::uint32_t lastError = 0;

// Most that one ReadFile or WriteFile call moves.
constexpr std::size_t kMaxTransfer = 1u << 30;

// Other programs may read a file while it is open here, and do nothing else:
// neither write it nor rename or delete it.
constexpr DWORD kShareReading = FILE_SHARE_READ;

// Writes everything or fails.
bool WriteAll(HANDLE handle, const char* data, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxTransfer));
        DWORD written = 0;
        if (!::WriteFile(handle, data, chunk, &written, nullptr))
            return Fail();
        if (written == 0)
            return FailWith(ERROR_WRITE_FAULT);
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

// Only disk files get a block; other files pass every call straight
// through.
struct OpenFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool writing = false;
    int type = kFileTypeUnknown;
    FileFacts facts;
    FilePlace place;
    std::unique_ptr<FileBlock> block;

    bool FlushBlock()
    {
        return block->Flush([this](const char* data, std::size_t size) { return WriteAll(handle, data, size); });
    }
};

struct OpenFolder {
    OpenFolder(HANDLE pin, std::string full) : handle(pin), path(std::move(full)) {}
    ~OpenFolder()
    {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    const HANDLE handle;
    // Full, without a trailing separator except a root's ("C:\").
    const std::string path;
};

std::uint32_t GetLastError() { return lastError; }

void SetLastError(std::uint32_t code) { lastError = code; }

bool FailWith(std::uint32_t code)
{
    lastError = code != 0 ? code : kErrorGeneralFailure;
    return false;
}

bool Fail() { return FailWith(::GetLastError()); }

std::size_t PathSizeLimit() { return MAX_PATH; }

const std::string& PathOf(const OpenFolder& folder) { return folder.path; }

std::string FullPath(const FilePlace& place)
{
    const std::string& folder = place.folder->path;
    if (!folder.empty() && folder.back() == kPathSeparator)
        return folder + place.name;
    return JoinPath(folder, place.name);
}

namespace {

// The full path the system makes of `path` (relative to the current folder,
// separators and dots settled), as CreateFileA itself would; empty with the
// code recorded when there is none or it is too long.
std::string FullPathName(const std::string& path)
{
    char full[MAX_PATH];
    const DWORD size = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (size == 0) {
        Fail();
        return {};
    }
    if (size >= MAX_PATH) {
        FailWith(kErrorFilenameTooLong);
        return {};
    }
    return std::string(full, size);
}

// A path of the device namespace ("\\.\COM1"), which the system makes of a
// device's reserved name (NUL, CON, COM1 ...) in any folder. Such a name is
// never a file of the program's.
bool NamesDevice(std::string_view full) { return full.starts_with("\\\\.\\") || full.starts_with("\\\\?\\"); }

// Opens the folder at the full path `full`. The handle lists the folder and
// shares everything but its removal, so that nobody renames or removes it
// while it is open; a folder that may be searched but not listed is opened
// all the same, without that hold.
FolderHandle OpenFolderFull(std::string full)
{
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE handle = ::CreateFileA(full.c_str(), FILE_LIST_DIRECTORY, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
        handle = ::CreateFileA(full.c_str(), FILE_READ_ATTRIBUTES, share | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        FailWith(error == ERROR_FILE_NOT_FOUND ? kErrorPathNotFound : error);
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::CloseHandle(handle);
        FailWith(kErrorPathNotFound);
        return nullptr;
    }
    return std::make_shared<OpenFolder>(handle, std::move(full));
}

// Splits the full path `full` at its last separator into its folder, opened,
// and its name.
bool PlaceOfFull(const std::string& full, FilePlace& place)
{
    const std::string_view folder = FolderPart(full);
    if (folder.empty())
        return FailWith(kErrorPathNotFound);
    const std::string_view name = FileName(full);
    place.name = name.empty() ? "." : std::string(name);
    place.folder = OpenFolderFull(std::string(folder));
    return place.folder != nullptr;
}

// The place of `path` taken relative to `base` (the current folder when
// null): its folder opened, and its last name.
bool PlaceFor(const FolderHandle& base, const std::string& path, FilePlace& place)
{
    if (base && path.find(kPathSeparator) == std::string::npos && path.find('/') == std::string::npos) {
        place = {base, path};
        const std::string full = FullPath(place);
        if (full.size() >= MAX_PATH)
            return FailWith(kErrorFilenameTooLong);
        return !NamesDevice(FullPathName(full)) || FailWith(kErrorAccessDenied);
    }
    const std::string full = FullPathName(base ? JoinPath(base->path, path) : path);
    if (full.empty())
        return false;
    if (NamesDevice(full))
        return FailWith(kErrorAccessDenied);
    return PlaceOfFull(full, place);
}

DWORD AttributesOf(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        Fail();
    return attributes;
}

// A link at the end of the place is followed once, to the file it finally
// names, so that the rewrite's temporary file stands beside that file.
bool FollowLink(HANDLE handle, FilePlace& place)
{
    char final[MAX_PATH];
    const DWORD size = ::GetFinalPathNameByHandleA(handle, final, MAX_PATH, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (size == 0 || size >= MAX_PATH)
        return size == 0 ? Fail() : FailWith(kErrorFilenameTooLong);
    std::string_view target(final, size);
    if (target.starts_with("\\\\?\\UNC\\"))
        return PlaceOfFull("\\\\" + std::string(target.substr(8)), place);
    if (target.starts_with("\\\\?\\"))
        target.remove_prefix(4);
    return PlaceOfFull(std::string(target), place);
}

// Opens the regular file at `place` for reading, a link at its end followed.
// Asking first keeps a folder or a device from being opened at all; the
// checks on the handle settle it.
HANDLE OpenRegularAt(FilePlace& place, FileFacts& facts)
{
    const std::string full = FullPath(place);
    const DWORD attributes = AttributesOf(full);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return INVALID_HANDLE_VALUE;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        FailWith(kErrorAccessDenied);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = ::CreateFileA(full.c_str(), GENERIC_READ, kShareReading, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail();
        return handle;
    }
    const bool regular = FactsOfHandle(handle, facts) && (facts.IsRegular() || FailWith(kErrorAccessDenied));
    if (!regular || ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FollowLink(handle, place))) {
        const std::uint32_t error = lastError;
        ::CloseHandle(handle);
        FailWith(error);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// Moves an entry out of the way of a fresh file of its name, without ever
// opening or following it. Gives 0 when the name is free, else the code.
DWORD ClearName(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : ::GetLastError();
    // A folder is never taken for a leftover temporary file; a read-only,
    // hidden or system file is refused, as a file created with normal
    // attributes over it would be.
    constexpr DWORD kept = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                           FILE_ATTRIBUTE_SYSTEM;
    if (attributes & kept)
        return ERROR_ACCESS_DENIED;
    // A file another program holds open keeps its code (a sharing
    // violation) as a creation over it would.
    if (!::DeleteFileA(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return ::GetLastError();
    return 0;
}

// Who may use a file while it is written: its maker alone, whatever the
// folder would let it inherit. What the file is to become gets its access
// list once it is finished.
class OwnerOnly {
public:
    OwnerOnly()
    {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = sizeof user_;
        const bool known = ::GetTokenInformation(token, TokenUser, user_, size, &size);
        ::CloseHandle(token);
        const PSID owner = reinterpret_cast<TOKEN_USER*>(user_)->User.Sid;
        ready_ = known && ::InitializeAcl(reinterpret_cast<PACL>(acl_), sizeof acl_, ACL_REVISION) &&
                 ::AddAccessAllowedAce(reinterpret_cast<PACL>(acl_), ACL_REVISION, FILE_ALL_ACCESS, owner) &&
                 ::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 ::SetSecurityDescriptorDacl(&descriptor_, TRUE, reinterpret_cast<PACL>(acl_), FALSE) &&
                 ::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        attributes_ = {sizeof attributes_, &descriptor_, FALSE};
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    // Null (the folder's inheritance) only where the system could not say
    // who runs the program.
    SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    alignas(TOKEN_USER) unsigned char user_[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    alignas(ACL) unsigned char acl_[sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE];
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

// Gives the new handle, or INVALID_HANDLE_VALUE with the code recorded. An
// entry under the name is moved out of the way and the creation tried again;
// someone who plants a new one meanwhile gets one more removal, a second plant
// is refused.
HANDLE CreateFreshFile(const FilePlace& place)
{
    const std::string full = FullPath(place);
    OwnerOnly ownerOnly;
    for (int attempt = 0;; ++attempt) {
        HANDLE handle = ::CreateFileA(full.c_str(), GENERIC_WRITE, kShareReading, ownerOnly.Attributes(), CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE)
            return handle;
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            error = attempt < 2 ? ClearName(full) : ERROR_ACCESS_DENIED;
        if (error != 0) {
            FailWith(error);
            return INVALID_HANDLE_VALUE;
        }
    }
}

HANDLE DuplicateStandardStream(FileAccess access)
{
    const HANDLE stream = ::GetStdHandle(access == FileAccess::Read ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE);
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) {
        FailWith(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    if (!::DuplicateHandle(::GetCurrentProcess(), stream, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        Fail();
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

FileHandle Open(const FolderHandle& base, const char* name, FileAccess access)
{
    FilePlace place;
    FileFacts facts;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (name[0] == '\0')
        handle = DuplicateStandardStream(access);
    else if (!PlaceFor(base, name, place))
        handle = INVALID_HANDLE_VALUE;
    else if (access == FileAccess::Read)
        handle = OpenRegularAt(place, facts);
    else
        handle = CreateFreshFile(place);
    if (handle == INVALID_HANDLE_VALUE)
        return kInvalidHandle;
    auto file = std::make_unique<OpenFile>();
    file->handle = handle;
    file->writing = access == FileAccess::Write;
    file->type = static_cast<int>(::GetFileType(handle));
    (void)FactsOfHandle(handle, file->facts);
    file->place = std::move(place);
    if (file->type == kFileTypeDisk)
        file->block = std::make_unique<FileBlock>();
    return file.release();
}

} // namespace

FolderHandle OpenFolderNamed(const char* path)
{
    const std::string full = FullPathName(path);
    return full.empty() ? nullptr : OpenFolderFull(full);
}

bool PlaceOfPath(const char* path, FilePlace& place) { return PlaceFor(nullptr, path, place); }

HANDLE OpenRegularForReading(const char* name, FileFacts& facts, FilePlace& place)
{
    if (!PlaceFor(nullptr, name, place))
        return INVALID_HANDLE_VALUE;
    return OpenRegularAt(place, facts);
}

FileHandle CreateFile(const char* name, FileAccess access) { return Open(nullptr, name, access); }

FileHandle CreateFileIn(const FolderHandle& folder, const char* name, FileAccess access)
{
    return Open(folder, name, access);
}

// The kind of file is kept with its attributes: the system's type of the
// handle in the owner's field, which has no other use here.
FileFacts NativeFacts::From(const BY_HANDLE_FILE_INFORMATION& info, DWORD type)
{
    FileFacts facts;
    facts.volume_ = info.dwVolumeSerialNumber;
    facts.index_ = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    facts.size_ = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    facts.owner_ = type;
    facts.mode_ = info.dwFileAttributes;
    return facts;
}

bool FileFacts::IsRegular() const
{
    return owner_ == FILE_TYPE_DISK && (mode_ & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool FileFacts::IsReadOnly() const { return (mode_ & FILE_ATTRIBUTE_READONLY) != 0; }

bool FactsOfHandle(HANDLE handle, FileFacts& facts)
{
    const DWORD type = ::GetFileType(handle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (type == FILE_TYPE_DISK && !::GetFileInformationByHandle(handle, &info))
        return Fail();
    facts = NativeFacts::From(info, type);
    return true;
}

bool EntryFacts(const std::string& path, FileFacts& facts)
{
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE handle = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Fail();
    const bool known = FactsOfHandle(handle, facts);
    ::CloseHandle(handle);
    return known;
}

HANDLE OpenIfStill(const std::string& path, const FileFacts& facts, DWORD access)
{
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const HANDLE handle =
        ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fail();
        return handle;
    }
    FileFacts now;
    if (!FactsOfHandle(handle, now) || !now.SameFileAs(facts)) {
        ::CloseHandle(handle);
        FailWith(kErrorAccessDenied);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

bool GiveAccessList(HANDLE from, HANDLE to)
{
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                          &descriptor) != ERROR_SUCCESS)
        return Fail();
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION inheritance =
        (control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    const DWORD error =
        ::SetSecurityInfo(to, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inheritance, nullptr, nullptr, list, nullptr);
    ::LocalFree(descriptor);
    return error == ERROR_SUCCESS || FailWith(error);
}


const FileFacts& FactsOf(FileHandle file) { return file->facts; }

const FilePlace& PlaceOf(FileHandle file) { return file->place; }

HANDLE NativeHandleOf(FileHandle file) { return file->handle; }

namespace {

bool ReadSome(HANDLE handle, char* buffer, std::size_t size, std::size_t& got)
{
    DWORD n = 0;
    if (!::ReadFile(handle, buffer, static_cast<DWORD>(std::min(size, kMaxTransfer)), &n, nullptr)) {
        // The writer of a pipe has gone: that is its end.
        if (::GetLastError() == ERROR_BROKEN_PIPE) {
            got = 0;
            return true;
        }
        return Fail();
    }
    got = n;
    return true;
}

} // namespace

bool ReadFile(FileHandle file, void* buffer, std::size_t size, std::size_t& bytesRead)
{
    bytesRead = 0;
    if (file == kInvalidHandle || file->writing)
        return FailWith(file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied);
    const auto readSome = [file](char* into, std::size_t capacity, std::size_t& got) {
        return ReadSome(file->handle, into, capacity, got);
    };
    char* out = static_cast<char*>(buffer);
    return file->block ? file->block->Read(out, size, bytesRead, readSome) : readSome(out, size, bytesRead);
}

bool WriteFile(FileHandle file, const void* data, std::size_t size)
{
    if (file == kInvalidHandle || !file->writing)
        return FailWith(file == kInvalidHandle ? kErrorInvalidHandle : kErrorAccessDenied);
    const char* bytes = static_cast<const char*>(data);
    const auto writeAll = [file](const char* block, std::size_t n) { return WriteAll(file->handle, block, n); };
    return file->block ? file->block->Write(bytes, size, writeAll) : writeAll(bytes, size);
}

bool CloseHandle(FileHandle file)
{
    if (file == kInvalidHandle)
        return FailWith(kErrorInvalidHandle);
    const std::unique_ptr<OpenFile> owned(file);
    bool ok = !owned->writing || !owned->block || owned->FlushBlock();
    if (!::CloseHandle(owned->handle) && ok)
        ok = Fail();
    return ok;
}

int GetFileType(FileHandle file) { return file == kInvalidHandle ? kFileTypeUnknown : file->type; }

} // namespace ravo::platform
