// The current folder and folder queries on POSIX.
#include "platform/current_folder.h"

#include <cerrno>
#include <string_view>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/path.h"

namespace ravo {

bool SetCurrentFolder(const std::string& path)
{
    return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string CurrentFolder()
{
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            buffer.resize(std::char_traits<char>::length(buffer.data()));
            return buffer;
        }
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

bool FolderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool NonFolderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

bool IsFolderEntry(const std::string& folder, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    return FolderExists(platform::JoinPath(folder, entry.d_name));
}

} // namespace

std::optional<std::vector<std::string>> VisibleSubFolders(const std::string& path)
{
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] != '.' && IsFolderEntry(path, *entry))
            names.emplace_back(entry->d_name);
    }
    ::closedir(folder);
    return names;
}

std::optional<std::vector<std::string>> FolderEntryNames(const std::string& path)
{
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return std::nullopt;
    std::vector<std::string> names;
    // A listing cut short by an error is no listing: a name missing from it
    // could be the one that makes another ambiguous.
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(folder);
        if (entry == nullptr)
            break;
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    const bool complete = errno == 0;
    ::closedir(folder);
    if (!complete)
        return std::nullopt;
    return names;
}

} // namespace ravo
