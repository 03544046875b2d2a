// The line-oriented text file through which every listed file is read line
// by line and its rewritten copy written. It fixes the bytes of a rewritten
// file: LF or CR LF end a line, a CR not followed by LF is dropped, a byte 26
// at the start of a line ends the input, and every line written ends in
// CR LF.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_api.h"

namespace ravo {

// A buffered file handle for reading or writing text lines. It interprets no
// encoding: every byte but CR, LF and the end mark 26 is line content, NUL
// and bytes 128-255 included. Operations never throw: a failure records its
// code in PendingIoResult and the caller checks with CheckIoResult.
//
// It does not seek, does not read and write at once, and holds no more than
// one 128-byte buffer: a line is gathered run by run straight into the
// caller's string, so memory grows with the longest line only. Each platform
// read or write moves one whole buffer, except the last of a file.
class TextLineFile {
public:
    static constexpr std::size_t kBufferSize = 128;
    static constexpr unsigned char kEndMark = 26;

    enum class Mode { Unbound, Closed, Reading, Writing };

    TextLineFile() = default;
    // Closes a file still open, writing out what waits, without recording a
    // code: a run ended by an error leaves nothing open behind it.
    ~TextLineFile();
    TextLineFile(const TextLineFile&) = delete;
    TextLineFile& operator=(const TextLineFile&) = delete;

    // The name is taken relative to `folder` when one is given.
    void BindName(std::string_view name, platform::FolderHandle folder = nullptr);
    void OpenForReading();
    void CreateForWriting();
    bool AtEnd();
    void ReadLineText(std::string& line);
    void SkipLineBreak();
    void WriteText(std::string_view text);
    void WriteLineBreak();
    void CloseLineFile();

    Mode CurrentMode() const { return mode_; }
    // The platform file while the handle is open, for calls on the file
    // itself (its attributes, which file it is).
    platform::FileHandle PlatformHandle() const { return handle_; }

private:
    static constexpr int kEnd = -1;

    void Open(Mode mode);
    void CloseQuietly();
    bool ReleaseHandle();
    void ResetBuffer();
    std::int32_t FillBuffer();
    bool Refill();
    std::int32_t DrainBuffer();
    std::int32_t LineFlush();
    // The invariant written beside position_ and end_ below.
    bool BufferInvariantHolds() const;
    // The byte at position_, which must be one not yet handed out.
    unsigned char NextByte() const;
    int PeekByte();
    bool TakeContent(std::string* line);
    bool CrEndsLine(bool takeLf);
    bool EndMarkAtLineStart();

    platform::FileHandle handle_ = platform::kInvalidHandle;
    platform::FolderHandle folder_;
    Mode mode_ = Mode::Unbound;
    // Reading: buffer_[position_, end_) are bytes not yet handed out.
    // Writing: buffer_[0, position_) wait to be written; position_ < 128
    // between calls, since a full buffer is written out at once.
    std::size_t position_ = 0;
    std::size_t end_ = 0;
    // The physical end was met; the input stays ended until the file closes.
    bool inputEnded_ = false;
    // Nothing of the current line has been consumed yet, so a byte 26 here
    // ends the input; further into a line it is an ordinary byte.
    bool atLineStart_ = true;
    // A character device gets every line as soon as it is complete.
    bool drainEachLine_ = false;
    // Set by BindName for a name that cannot be opened: longer than any
    // path the system takes, or holding a NUL byte. name_ is then empty.
    std::int32_t nameError_ = 0;
    std::string name_;
    std::array<unsigned char, kBufferSize> buffer_{};
};

} // namespace ravo
