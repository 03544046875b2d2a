// The replacement pass.
#include "run/replacement_pass.h"

#include "engine/in_out_error.h"
#include "engine/string_primitives.h"
#include "engine/text_line_file.h"
#include "platform/safe_replace.h"

namespace ravo {

namespace {

// Replaces the first occurrence of search in the line. A line that is
// exactly the search text becomes exactly the replacement.
void SpliceLine(std::string& line, const std::string& search, const std::string& replacement)
{
    const std::size_t k = PositionOf(search, line);
    if (k == 0)
        return;
    const auto at = static_cast<std::ptrdiff_t>(k);
    DeleteRange(line, at, static_cast<std::ptrdiff_t>(search.size()));
    InsertText(replacement, line, at);
}

// One pass over the list. Each file is rewritten into its temporary file
// beside it, and waits there in a batch; the batch's files are flushed
// together, then put in place and logged in list order. What the log, the
// bar and the files show after an error is as if each file had been put in
// place at once: the files before the failing one are committed first.
class Pass {
public:
    Pass(const std::string& search, const std::string& replacement, OperationLog& log,
         ProgressIndicator& progress)
        : search_(search), replacement_(replacement), log_(log), progress_(progress)
    {
    }

    void Rewrite(std::size_t index, const std::string& path);
    // Puts every waiting file in place; raises the code of a file whose data
    // could not be made durable.
    void Commit();

private:
    template <typename Open>
    void OpenFreeingDescriptors(Open open);
    void OpenListed(const std::string& path);
    void CopyLines();

    const std::string& search_;
    const std::string& replacement_;
    OperationLog& log_;
    ProgressIndicator& progress_;
    // Both files are reused for every listed file; when an error leaves,
    // their destructors close whatever is still open.
    TextLineFile reader_;
    TextLineFile writer_;
    std::string line_;
    platform::CommitBatch batch_;
    // The listed path and list index of each file in the batch, in order.
    std::vector<std::pair<std::string, std::size_t>> waiting_;
};

// Runs `open`; where it finds no descriptor free while the batch holds
// folders open, the batch is committed to free them and `open` runs again.
template <typename Open>
void Pass::OpenFreeingDescriptors(Open open)
{
    open();
    if (PendingIoResult == static_cast<std::int32_t>(platform::kErrorTooManyOpenFiles) && !batch_.Empty()) {
        PendingIoResult = 0;
        Commit();
        open();
    }
}

// A file already waiting in the batch, under another name or the same, is
// read only once the batch has put it in place, so that it gets the content
// the earlier rewrite gave it. It is closed meanwhile: where the system
// enforces sharing, a file open here could not be replaced or renamed.
void Pass::OpenListed(const std::string& path)
{
    const auto open = [this, &path] {
        reader_.BindName(path);
        reader_.OpenForReading();
    };
    OpenFreeingDescriptors(open);
    if (PendingIoResult == 0 && batch_.Holds(platform::FactsOf(reader_.PlatformHandle()))) {
        reader_.CloseLineFile();
        Commit();
        open();
    }
    CheckIoResult();
}

void Pass::CopyLines()
{
    for (;;) {
        const bool atEnd = reader_.AtEnd();
        CheckIoResult();
        if (atEnd)
            break;
        reader_.ReadLineText(line_);
        reader_.SkipLineBreak();
        CheckIoResult();
        SpliceLine(line_, search_, replacement_);
        writer_.WriteText(line_);
        writer_.WriteLineBreak();
        CheckIoResult();
    }
}

// Writes the rewritten lines of `path` into its temporary file and adds it to
// the batch. Each check stands where it does so that the first failure ends
// the run with the code of the operation pair that failed. A listed link is
// followed: the file it names is rewritten, its temporary file beside it.
void Pass::Rewrite(std::size_t index, const std::string& path)
{
    OpenListed(path);
    const platform::FileFacts listed = platform::FactsOf(reader_.PlatformHandle());
    const platform::FilePlace temporary = platform::TemporaryPlaceFor(reader_.PlatformHandle());
    if (batch_.HoldsEntryAt(temporary) || !batch_.RoomFor(listed.Size()))
        Commit();
    OpenFreeingDescriptors([this, &temporary] {
        writer_.BindName(temporary.name, temporary.folder);
        writer_.CreateForWriting();
    });
    CheckIoResult();
    CopyLines();
    const platform::FileFacts written = platform::FactsOf(writer_.PlatformHandle());
    writer_.CloseLineFile();
    CheckIoResult();
    platform::CommitBatch::Entry replacement =
        platform::PrepareReplacement(reader_.PlatformHandle(), temporary, written);
    reader_.CloseLineFile();
    CheckIoResult();
    batch_.Add(std::move(replacement), listed.Size());
    waiting_.emplace_back(path, index);
    if (batch_.Due())
        Commit();
}

void Pass::Commit()
{
    const bool durable = batch_.Commit([this](std::size_t i, bool placed) {
        const auto& [path, index] = waiting_[i];
        log_.AppendLine(placed ? ModifiedLine(path) : NotModifiedLine(path));
        if (placed)
            progress_.SetPosition(static_cast<int>(index));
    });
    waiting_.clear();
    if (!durable) {
        PendingIoResult = static_cast<std::int32_t>(platform::GetLastError());
        CheckIoResult();
    }
}

} // namespace

void ReplaceInListedFiles(const std::vector<std::string>& paths, const std::string& search,
                          const std::string& replacement, OperationLog& log, ProgressIndicator& progress)
{
    if (search.empty())
        return;
    const std::size_t count = paths.size();
    progress.SetMinimum(0);
    progress.SetMaximum(static_cast<int>(count) - 1);
    progress.SetStep(1);
    progress.SetVisible(true);

    Pass pass(search, replacement, log, progress);
    try {
        for (std::size_t i = 0; i < count; ++i)
            pass.Rewrite(i, paths[i]);
    } catch (...) {
        // The files rewritten before the failing one are put in place; a
        // failure to do so is the earlier one, and its error the one shown.
        pass.Commit();
        throw;
    }
    pass.Commit();
}

} // namespace ravo
