// Turning a path the file dialog gave back as text into the bytes of the
// one file it stands for. Qt decodes names as UTF-8 and shows every byte it
// cannot decode as U+FFFD, so a name that is not UTF-8 (a Latin-2 or
// code page 1250 name, say) cannot be reached through its text, and several
// names, or a name really spelled with U+FFFD, may share one text.
#pragma once

#include <QHash>
#include <QString>

#include <string>
#include <unordered_map>

namespace ravo {

// Follows a path from the root, one component at a time, to the entries
// whose decoded names equal its components. A component that is valid
// UTF-8 text stands for exactly one name, its encoding, and costs nothing;
// any other one is looked up in its folder's listing, which is read once
// for the life of the tracer. It never guesses: a component that matches no
// entry or more than one ends the trace.
class PathTracer {
public:
    enum class Outcome { Unique, Missing, Several };
    struct Result {
        Outcome outcome;
        std::string path; // the exact bytes, for Unique only
    };

    Result Trace(const QString& path);

private:
    // Per decoded text, the first entry that gives it and how many do.
    struct Candidates {
        std::string name;
        int count = 0;
    };
    using Listing = QHash<QString, Candidates>;

    Result traceName(const std::string& folder, const QString& component);
    const Listing& listingOf(const std::string& folder);

    std::unordered_map<std::string, Listing> listings_;
};

} // namespace ravo
