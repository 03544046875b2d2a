// The Windows half's own view of the file layer: handles, file information
// and the system's error codes behind the opaque handles and facts of
// file_api.h. Included by the *_win32.cpp files of platform/ and by tests that
// only run there; the engine and the run never see it.
#pragma once

#include <cstdint>
#include <string>
#include <windows.h>

#include "platform/file_api.h"

// <windows.h> names CreateFile as a macro; the file layer's own CreateFile
// must keep its name in every file that sees both.
#undef CreateFile

namespace ravo::platform {

// Records the system's code of the call that just failed (never 0) as the
// last error; false, so that a failing step can end with `return Fail()`.
bool Fail();
// Records `code` as the last error; false.
bool FailWith(std::uint32_t code);

// An open folder is its full path, and a handle that keeps it from being
// renamed or removed while the files in it are worked on: the system has no
// calls relative to a folder handle, so names are joined to the path, and the
// handle is what makes that path keep naming the same folder.
const std::string& PathOf(const OpenFolder& folder);

// The full path of `place`, its folder's path and its name joined.
std::string FullPath(const FilePlace& place);

// The handle behind an open file, for calls that act on the file itself.
HANDLE NativeHandleOf(FileHandle file);

// Makes facts of what the system says of an open file, and reads back the
// parts that only this half needs.
struct NativeFacts {
    static FileFacts From(const BY_HANDLE_FILE_INFORMATION& info, DWORD type);
    static DWORD Attributes(const FileFacts& facts) { return facts.mode_; }
    static DWORD Volume(const FileFacts& facts) { return static_cast<DWORD>(facts.volume_); }
};

inline DWORD NativeAttributes(const FileFacts& facts) { return NativeFacts::Attributes(facts); }

// The facts of the file open as `handle`; false with the code recorded.
bool FactsOfHandle(HANDLE handle, FileFacts& facts);

// The facts of the entry at `path` itself, a link not followed; false with
// the code recorded when there is none.
bool EntryFacts(const std::string& path, FileFacts& facts);

// Opens the file at `path`, a link not followed, with `access`, when it is
// still the file `facts` describes; INVALID_HANDLE_VALUE with the code
// recorded (5 for another file) otherwise.
HANDLE OpenIfStill(const std::string& path, const FileFacts& facts, DWORD access);

// Gives the file open as `to` (with WRITE_DAC and READ_CONTROL) the access
// list of the file open as `from`, so that whoever could use the one may use
// the other, and nobody else; where `from` inherits from its folder, `to`
// inherits from its own. False with the code recorded.
bool GiveAccessList(HANDLE from, HANDLE to);

// Opens the regular file `name` for reading by the rules of
// CreateFile(name, Read) and gives its bare handle, or INVALID_HANDLE_VALUE
// with the code recorded. `facts` gets what the system says of the opened
// file, `place` where it lies.
HANDLE OpenRegularForReading(const char* name, FileFacts& facts, FilePlace& place);

} // namespace ravo::platform
