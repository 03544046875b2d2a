// The lines of the operation log.
#include "run/run_log.h"

#include <cstdio>

namespace ravo {

std::string VisibleInLog(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
            continue;
        }
        switch (byte) {
        case '\n': shown += "\\n"; break;
        case '\r': shown += "\\r"; break;
        case '\t': shown += "\\t"; break;
        default: {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            shown += escape;
        }
        }
    }
    return shown;
}

std::string BackupFolderLine(const std::string& folder)
{
    return VisibleInLog(folder);
}

std::string BackedUpLine(const std::string& path, const std::string& destination)
{
    return "Zálohuji soubor " + VisibleInLog(path) + " DO " + VisibleInLog(destination);
}

std::string NotBackedUpLine(const std::string& path, const std::string& destination)
{
    return "Nelze zálohovat soubor " + VisibleInLog(path) + " DO " + VisibleInLog(destination);
}

std::string ModifiedLine(const std::string& path)
{
    return "Modifikuji soubor " + VisibleInLog(path);
}

std::string NotModifiedLine(const std::string& path)
{
    return "Nelze modifikovat soubor " + VisibleInLog(path);
}

} // namespace ravo
