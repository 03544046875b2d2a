// Paths as bytes: their folder part, their file name, and the joining of a
// folder and a name, with this platform's separator named once. Nothing here
// touches a file.
#pragma once

#include <string>
#include <string_view>

namespace ravo::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Everything before the last separator, the root itself for a name in the
// root ("/a/b" gives "/a", "/b" gives "/"; on Windows "C:\b" gives "C:\",
// a root that keeps its separator); empty when the path has no separator.
std::string_view FolderPart(std::string_view path);

// Everything after the last separator; the whole path when it has none, empty
// when it ends with one.
std::string_view FileName(std::string_view path);

// The folder, one separator and the name. The separator is always added, so
// the root folder gives two in a row.
std::string JoinPath(std::string_view folder, std::string_view name);

} // namespace ravo::platform
