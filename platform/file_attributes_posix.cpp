// Copying extended attributes between open files.
#include "platform/file_attributes_posix.h"

#include <cerrno>
#include <string_view>
#include <sys/xattr.h>
#include <vector>

namespace ravo::platform {

namespace {

bool IsAccessList(std::string_view name) { return name.starts_with("system.posix_acl_"); }

bool IsSystemLabel(std::string_view name) { return name.starts_with("security.") || name.starts_with("trusted."); }

// Reads a list or a value whose size may change between asking and reading.
template <typename Read>
bool ReadSized(std::vector<char>& bytes, Read read)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0)
            return false;
        bytes.resize(static_cast<std::size_t>(size));
        if (size == 0)
            return true;
        const ssize_t got = read(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

} // namespace

AttributeCopy CopyExtendedAttributes(int from, int to)
{
    std::vector<char> names;
    if (!ReadSized(names, [from](char* buffer, std::size_t size) { return ::flistxattr(from, buffer, size); }))
        return errno == ENOTSUP ? AttributeCopy::Complete : AttributeCopy::Failed;
    bool accessListDropped = false;
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const char* name = names.data() + at;
        const std::string_view view(name);
        at += view.size() + 1;
        if (!ReadSized(value, [from, name](char* buffer, std::size_t size) {
                return ::fgetxattr(from, name, buffer, size);
            })) {
            if (errno == ENODATA)
                continue; // removed meanwhile
            return AttributeCopy::Failed;
        }
        if (::fsetxattr(to, name, value.data(), value.size(), 0) == 0)
            continue;
        if (errno == ENOTSUP) {
            accessListDropped = accessListDropped || IsAccessList(view);
            continue;
        }
        if ((errno == EPERM || errno == EACCES) && IsSystemLabel(view))
            continue;
        return AttributeCopy::Failed;
    }
    return accessListDropped ? AttributeCopy::AccessListDropped : AttributeCopy::Complete;
}

} // namespace ravo::platform
