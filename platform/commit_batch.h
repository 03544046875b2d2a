// New files waiting to take their names, made durable together.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_api.h"

namespace ravo::platform {

// Files written under temporary names beside the names they are to take. A
// flush is a round trip to the drive, one per file would cost most of a run on
// a real disk, so Commit makes the data of the whole batch durable with one
// flush per file system, then puts the files in place one by one in the order
// they were added, then flushes their folders. A file is reported in place
// only once its data and its name are on the disk; a power loss at any moment
// leaves every name with its old or its new file.
//
// The batch holds the folders of its files open until it is committed, and
// bounds itself so that nothing a user sees waits long: see Due.
class CommitBatch {
public:
    enum class Placement {
        // Over the file `targetFacts` describes, as ReplaceFileAtomically.
        Replace,
        // Only where no entry has the name yet.
        NoReplace,
        // Nothing to put in place; reported as not placed, in its turn.
        None,
    };

    struct Entry {
        FilePlace temporary;
        FileFacts temporaryFacts;
        std::string target;
        FileFacts targetFacts;
        Placement placement = Placement::None;
    };

    // Told of each entry in the order added: its index and whether it is now
    // in place.
    using Report = std::function<void(std::size_t index, bool placed)>;

    static constexpr std::size_t kMaxFiles = 256;
    // Temporary data waiting on the disk beside the listed files.
    static constexpr std::uint64_t kMaxBytes = 4 * 1024 * 1024;
    // The log and the progress bar move at least this often on a slow disk.
    static constexpr std::chrono::milliseconds kMaxWait{200};

    CommitBatch() = default;
    CommitBatch(const CommitBatch&) = delete;
    CommitBatch& operator=(const CommitBatch&) = delete;

    bool Empty() const { return entries_.empty(); }

    // True when `file` is a target or a temporary file of this batch: a file
    // that must be read or replaced as the commit leaves it.
    bool Holds(const FileFacts& file) const;
    // True when the entry under `place` is such a file.
    bool HoldsEntryAt(const FilePlace& place) const;

    // False when adding `bytes` more would pass the bound of waiting data; a
    // file of any size fits an empty batch.
    bool RoomFor(std::uint64_t bytes) const;

    void Add(Entry entry, std::uint64_t bytes);

    // After the bound of files, of bytes or of time.
    bool Due() const;

    // Flushes the data, puts every entry in place, reporting each, flushes
    // the folders and empties the batch. False, with the code recorded, when
    // a file's data could not be made durable: the entries before it are
    // placed and reported, it and the rest stay under their temporary names,
    // unreported.
    bool Commit(const Report& report);

private:
    bool FlushData() const;
    void FlushFolders(std::size_t placed) const;

    std::vector<Entry> entries_;
    std::uint64_t bytes_ = 0;
    std::chrono::steady_clock::time_point started_;
};

} // namespace ravo::platform
