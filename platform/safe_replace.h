// Putting new files in the place of old ones safely: a listed file's
// rewritten copy is written to a temporary file beside it, takes over what
// decides who may use the listed file, and replaces it by an atomic rename;
// the data and the names of a whole batch of such files (and of backup
// copies) are made durable together. Every step acts relative to the folder
// that held the listed file when it was opened.
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
    // placed and reported, it and the rest are unreported and stay under
    // their temporary names, except the NoReplace ones, which are removed.
    bool Commit(const Report& report);

private:
    // How one entry takes its name, by its placement.
    static bool Place(const Entry& entry);

    // The system's half: how data and names reach the disk, and how an entry
    // takes a name nobody has yet.
    bool FlushData() const;
    static bool FlushOne(const Entry& entry);
    static bool PlaceWithoutOverwriting(const Entry& entry);
    static void Discard(const Entry& entry);
    void FlushFolders(std::size_t placed) const;

    std::vector<Entry> entries_;
    std::uint64_t bytes_ = 0;
    std::chrono::steady_clock::time_point started_;
};

// Where the rewrite of the open listed file is written: the name of the file
// actually opened (a listed link's target) with ".TMP" added, in its folder.
FilePlace TemporaryPlaceFor(FileHandle listed);

// After the temporary file at `temporary` (`written` says which file it must
// be) is finished and closed, while `listed` is still open: gives it what
// TakeOverAttributes gives, and the entry that puts it over the listed name
// when the batch commits. Where the listed file may not be replaced, the
// entry puts nothing in place and the temporary file stays.
CommitBatch::Entry PrepareReplacement(FileHandle listed, const FilePlace& temporary, const FileFacts& written);

// Gives the finished temporary file at `temporary` (closed after its last
// byte; `written` says which file it must be) what decides who may use the
// open file `listed`: its owner and group (the group alone where the owner
// cannot be kept, nothing more where neither can), its extended attributes
// with the access lists and capabilities, and its mode. An access list the
// new file inherited from its folder goes when the listed file has none, so
// nobody gains access. All of it follows the last write, which would clear
// capabilities and set-id bits, and goes through the open file, not its name.
// A read-only listed file is not to be replaced: nothing is given and the
// call fails with 5.
bool TakeOverAttributes(FileHandle listed, const FilePlace& temporary, const FileFacts& written);

// Renames the finished file at `written` over the listed name `listed` of the
// same folder in one atomic step, so that the listed name holds the old or the
// new content at every moment. Each name must still hold the file that was
// read or written (a swapped name fails with 5), and a listed file that became
// read-only is left alone (5). On failure `written` stays where it is.
bool ReplaceFileAtomically(const FilePlace& written, const FileFacts& writtenFacts, const std::string& listed,
                           const FileFacts& listedFacts);

} // namespace ravo::platform
