// Extended attributes, POSIX access lists included, carried from one open file
// to another: whoever could use a file may use the file that takes its place,
// and nobody else. Only the POSIX half of platform/ uses it.
#pragma once

namespace ravo::platform {

enum class AttributeCopy {
    Complete,
    // The destination's file system holds no access lists; the other
    // attributes it could hold were copied.
    AccessListDropped,
    // errno tells why.
    Failed,
};

// Copies every extended attribute of the file open as `from` onto the file
// open as `to`. The system's own labels (security.*, trusted.*) that this
// user may not set, and attributes the destination's file system cannot hold,
// are left out; any other failure ends the copy.
AttributeCopy CopyExtendedAttributes(int from, int to);

} // namespace ravo::platform
