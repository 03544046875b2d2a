// The one copy that never overwrites: a batch of one.
#include "platform/file_copy.h"

#include <utility>

namespace ravo::platform {

bool CopyFileNoOverwrite(const std::string& source, const std::string& destination)
{
    FilePlace place;
    CommitBatch::Entry entry;
    std::uint64_t bytes = 0;
    if (!PlaceOfPath(destination.c_str(), place) || !CopyToTemporary(source, place.folder, place.name, entry, bytes))
        return false;
    CommitBatch batch;
    batch.Add(std::move(entry), bytes);
    bool placed = false;
    const bool durable = batch.Commit([&placed](std::size_t, bool done) { placed = done; });
    return durable && placed;
}

} // namespace ravo::platform
