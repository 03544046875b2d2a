// Tracing decoded paths back to bytes through the folders' listings.
#include "dialogs/traced_paths.h"

#include <QByteArray>
#include <QFile>

#include "platform/current_folder.h"

namespace ravo {
namespace {

// A folder entry's name as Qt shows it. Qt decodes whole paths, in which a
// name always follows a '/'; decoded on its own, a name would lose a
// leading byte-order mark that the dialog shows as part of it.
QString DecodedEntryName(const std::string& name)
{
    return QFile::decodeName(QByteArray("/") + QByteArray::fromStdString(name)).mid(1);
}

// Qt's decoder turns every byte that is not part of valid UTF-8 (overlong
// forms and encoded surrogates included) into U+FFFD, so text without U+FFFD
// that encodes and decodes back to itself was decoded from its encoding and
// from no other bytes: finding it needs no listing.
bool StandsForItsEncoding(const QString& component, const std::string& encoded)
{
    return !component.contains(QChar::ReplacementCharacter) && DecodedEntryName(encoded) == component;
}

} // namespace

PathTracer::Result PathTracer::Trace(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return {Outcome::Missing, {}};
    std::string traced;
    for (const QString& component : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        Result step = traceName(traced.empty() ? std::string("/") : traced, component);
        if (step.outcome != Outcome::Unique)
            return step;
        traced += '/' + step.path;
    }
    return {Outcome::Unique, traced.empty() ? std::string("/") : traced};
}

PathTracer::Result PathTracer::traceName(const std::string& folder, const QString& component)
{
    std::string encoded = QFile::encodeName(component).toStdString();
    if (StandsForItsEncoding(component, encoded))
        return {Outcome::Unique, std::move(encoded)};
    const Listing& listing = listingOf(folder);
    const auto found = listing.constFind(component);
    if (found == listing.constEnd())
        return {Outcome::Missing, {}};
    if (found->count > 1)
        return {Outcome::Several, {}};
    return {Outcome::Unique, found->name};
}

const PathTracer::Listing& PathTracer::listingOf(const std::string& folder)
{
    const auto known = listings_.find(folder);
    if (known != listings_.end())
        return known->second;
    Listing& listing = listings_[folder];
    for (const std::string& name : FolderEntryNames(folder).value_or(std::vector<std::string>{})) {
        Candidates& candidates = listing[DecodedEntryName(name)];
        if (candidates.count++ == 0)
            candidates.name = name;
    }
    return listing;
}

} // namespace ravo
