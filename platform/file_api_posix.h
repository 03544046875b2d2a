// The POSIX half's own view of the file layer: descriptors, stat and errno
// behind the opaque handles and facts of file_api.h. Included by the
// *_posix.cpp files of platform/ and by tests that only run here; the engine
// and the run never see it.
#pragma once

#include <cstdint>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/file_api.h"

namespace ravo::platform {

// Translates an errno value. A missing entry (ENOENT) is told apart by the
// path: code 2 when the folder that should hold it exists, 3 when the folder
// itself is missing. Without a path ENOENT gives 2.
std::uint32_t Win32CodeFromErrno(int errnum, const char* path = nullptr);

// Records the code of `errnum` as the last error; false, so that a failing
// step can end with `return FailWith(errno)`.
bool FailWith(int errnum);

// The descriptor of an open folder, for calls relative to it.
int DescriptorOf(const OpenFolder& folder);
// The descriptor behind an open file, for calls that act on the file itself.
int DescriptorOf(FileHandle file);

// Makes facts of what the system says of a file, and reads back the parts
// that only this half needs.
struct NativeFacts {
    static FileFacts From(const struct stat& st);
    static dev_t Device(const FileFacts& facts) { return facts.volume_; }
    static uid_t Owner(const FileFacts& facts) { return facts.owner_; }
    static gid_t Group(const FileFacts& facts) { return facts.group_; }
    static mode_t Mode(const FileFacts& facts) { return facts.mode_; }
};

inline FileFacts FactsFrom(const struct stat& st) { return NativeFacts::From(st); }

// The facts of the entry `name` in the folder `folder`, not followed; false
// with errno telling why when there is none.
bool EntryFacts(int folder, const char* name, FileFacts& facts);

// Opens a regular file for reading by the rules of CreateFile(name, Read)
// and gives its bare descriptor, or -1 with the code recorded. `st` gets what
// the system says of the opened file, `place` where it lies.
int OpenRegularForReading(const char* name, struct stat& st, FilePlace& place);

} // namespace ravo::platform
