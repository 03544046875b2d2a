// The replacement pass and the run of four passes.
#include "engine/replacement_pass.h"

#include "engine/in_out_error.h"
#include "engine/string_primitives.h"
#include "engine/text_line_file.h"
#include "platform/file_replace.h"

namespace ravo {

namespace {

const std::string kTemporarySuffix = ".TMP";
const std::string kModifiedLine = "Modifikuji soubor ";
const std::string kNotModifiedLine = "Nelze modifikovat soubor ";

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

// Writes the rewritten lines of `path` into its temporary file and puts that
// file in its place; false when the listed file could not be replaced. Each
// check stands where it does so that the first failure ends the run with the
// code of the operation pair that failed. A listed link is followed: the file
// it names is rewritten, its temporary file beside it.
bool RewriteListedFile(const std::string& path, const std::string& search, const std::string& replacement,
                       TextLineFile& reader, TextLineFile& writer, std::string& line,
                       platform::FolderSync& folders)
{
    reader.BindName(path);
    reader.OpenForReading();
    CheckIoResult();
    const platform::FileFacts listed = platform::FactsOf(reader.PlatformHandle());
    const std::string real = listed.reachedThroughLink ? platform::RealFileName(path) : path;
    const std::string temporary = real + kTemporarySuffix;
    writer.BindName(temporary);
    writer.CreateForWriting();
    CheckIoResult();
    for (;;) {
        const bool atEnd = reader.AtEnd();
        CheckIoResult();
        if (atEnd)
            break;
        reader.ReadLineText(line);
        reader.SkipLineBreak();
        CheckIoResult();
        SpliceLine(line, search, replacement);
        writer.WriteText(line);
        writer.WriteLineBreak();
        CheckIoResult();
    }
    const bool replaceable = platform::TakeOverAttributes(reader.PlatformHandle(), writer.PlatformHandle());
    const platform::FileFacts written = platform::FactsOf(writer.PlatformHandle());
    writer.CloseLineFile();
    CheckIoResult();
    reader.CloseLineFile();
    CheckIoResult();
    return replaceable && platform::ReplaceFileAtomically(temporary, written, real, listed, folders);
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

    // Both files are reused for every listed file; when an error leaves, their
    // destructors close whatever is still open, and the folders of the files
    // replaced so far still reach the disk.
    platform::FolderSync folders;
    TextLineFile reader;
    TextLineFile writer;
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& path = paths[i];
        if (RewriteListedFile(path, search, replacement, reader, writer, line, folders)) {
            log.AppendLine(kModifiedLine + path);
            progress.SetPosition(static_cast<int>(i));
        } else {
            log.AppendLine(kNotModifiedLine + path);
        }
    }
}

void RunFourPasses(const std::vector<std::string>& paths, const std::function<StringPair(int)>& pairAt,
                   OperationLog& log, ProgressIndicator& progress)
{
    for (int n = 1; n <= 4; ++n) {
        const StringPair pair = pairAt(n);
        ReplaceInListedFiles(paths, pair.search, pair.replacement, log, progress);
    }
    progress.SetVisible(false);
}

} // namespace ravo
