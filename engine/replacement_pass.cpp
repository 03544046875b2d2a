// The replacement pass and the run of four passes.
#include "engine/replacement_pass.h"

#include "engine/in_out_error.h"
#include "engine/string_primitives.h"
#include "engine/text_line_file.h"
#include "platform/file_copy.h"

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

// Writes the rewritten lines of `path` into its temporary file. Each check
// stands where it does so that the first failure ends the run with the code
// of the operation pair that failed.
void RewriteIntoTemporary(const std::string& path, const std::string& temporary, const std::string& search,
                          const std::string& replacement, TextLineFile& reader, TextLineFile& writer,
                          std::string& line)
{
    reader.BindName(path);
    reader.OpenForReading();
    CheckIoResult();
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
    writer.CloseLineFile();
    CheckIoResult();
    reader.CloseLineFile();
    CheckIoResult();
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
    // destructors close whatever is still open.
    TextLineFile reader;
    TextLineFile writer;
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& path = paths[i];
        const std::string temporary = path + kTemporarySuffix;
        RewriteIntoTemporary(path, temporary, search, replacement, reader, writer, line);
        if (platform::ReplaceFileAtomically(temporary, path)) {
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
