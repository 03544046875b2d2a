// What a batch of new files keeps and the order in which it commits them,
// and the steps of a listed file's replacement that need no system call of
// their own.
#include "platform/safe_replace.h"

#include <algorithm>

namespace ravo::platform {

namespace {

const std::string kTemporarySuffix = ".TMP";

} // namespace

bool CommitBatch::Holds(const FileFacts& file) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&file](const Entry& entry) {
        return entry.temporaryFacts.SameFileAs(file) ||
               (entry.placement == Placement::Replace && entry.targetFacts.SameFileAs(file));
    });
}

bool CommitBatch::RoomFor(std::uint64_t bytes) const { return entries_.empty() || bytes_ + bytes <= kMaxBytes; }

void CommitBatch::Add(Entry entry, std::uint64_t bytes)
{
    if (entries_.empty())
        started_ = std::chrono::steady_clock::now();
    entries_.push_back(std::move(entry));
    bytes_ += bytes;
}

bool CommitBatch::Due() const
{
    return entries_.size() >= kMaxFiles || bytes_ >= kMaxBytes ||
           (!entries_.empty() && std::chrono::steady_clock::now() - started_ >= kMaxWait);
}

bool CommitBatch::Commit(const Report& report)
{
    // Whatever happens, the batch lets go of its files and folders.
    struct Clear {
        CommitBatch& batch;
        ~Clear()
        {
            batch.entries_.clear();
            batch.bytes_ = 0;
        }
    } clear{*this};
    // Where the one flush fails, each file is flushed on its own, so the
    // files before the failing one still take their names.
    const bool durable = FlushData();
    std::size_t done = 0;
    bool ok = true;
    for (; done < entries_.size(); ++done) {
        const Entry& entry = entries_[done];
        if (!durable && entry.placement != Placement::None && !FlushOne(entry)) {
            ok = false;
            break;
        }
        const bool placed = Place(entry);
        report(done, placed);
    }
    // A copy that took no name backs nothing up; the temporary file of a
    // rewrite stays for the user, as its listed file was not changed.
    for (std::size_t left = done; left < entries_.size(); ++left)
        if (entries_[left].placement == Placement::NoReplace)
            Discard(entries_[left]);
    FlushFolders(done);
    return ok;
}

FilePlace TemporaryPlaceFor(FileHandle listed)
{
    const FilePlace& place = PlaceOf(listed);
    return {place.folder, place.name + kTemporarySuffix};
}

CommitBatch::Entry PrepareReplacement(FileHandle listed, const FilePlace& temporary, const FileFacts& written)
{
    const bool replaceable = TakeOverAttributes(listed, temporary, written);
    using Placement = CommitBatch::Placement;
    return {temporary, written, PlaceOf(listed).name, FactsOf(listed),
            replaceable ? Placement::Replace : Placement::None};
}

bool CommitBatch::Place(const Entry& entry)
{
    switch (entry.placement) {
    case Placement::Replace:
        return ReplaceFileAtomically(entry.temporary, entry.temporaryFacts, entry.target, entry.targetFacts);
    case Placement::NoReplace: return PlaceWithoutOverwriting(entry);
    case Placement::None: return false;
    }
    return false;
}

} // namespace ravo::platform
