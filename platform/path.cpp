// Splitting and joining paths.
#include "platform/path.h"

namespace ravo::platform {

namespace {

// Where the separator of a root stands: "/" and "\" at 0, a drive's "C:\" at
// 2.
std::size_t RootSeparatorIndex(std::string_view path)
{
#ifdef _WIN32
    if (path.size() >= 3 && path[1] == ':' && path[2] == kPathSeparator)
        return 2;
#endif
    (void)path;
    return 0;
}

} // namespace

std::string_view FolderPart(std::string_view path)
{
    const auto separator = path.find_last_of(kPathSeparator);
    if (separator == std::string_view::npos)
        return {};
    return path.substr(0, separator == RootSeparatorIndex(path) ? separator + 1 : separator);
}

std::string_view FileName(std::string_view path)
{
    const auto separator = path.find_last_of(kPathSeparator);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string joined;
    joined.reserve(folder.size() + 1 + name.size());
    joined.append(folder).append(1, kPathSeparator).append(name);
    return joined;
}

} // namespace ravo::platform
