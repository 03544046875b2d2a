// The line-oriented text file: binding, opening, the reader's byte rules, the
// writer's buffer and closing.
#include "engine/text_line_file.h"

#include <cassert>
#include <cstring>
#include <utility>

#include "engine/in_out_error.h"

namespace ravo {

namespace {

constexpr unsigned char kLf = 10;
constexpr unsigned char kCr = 13;

void Record(std::int32_t code) { PendingIoResult = code; }

std::int32_t LastPlatformCode() { return static_cast<std::int32_t>(platform::GetLastError()); }

} // namespace

TextLineFile::~TextLineFile() { CloseQuietly(); }

void TextLineFile::CloseQuietly()
{
    if (handle_ == platform::kInvalidHandle)
        return;
    if (mode_ == Mode::Writing)
        DrainBuffer();
    ReleaseHandle();
}

// Closes the platform file and forgets it; the handle is closed afterwards.
// True when the platform's close succeeded.
bool TextLineFile::ReleaseHandle()
{
    assert(handle_ != platform::kInvalidHandle);
    const bool ok = platform::CloseHandle(handle_);
    handle_ = platform::kInvalidHandle;
    mode_ = Mode::Closed;
    return ok;
}

// A freshly opened (or bound) handle: an empty buffer at a line start.
void TextLineFile::ResetBuffer()
{
    position_ = end_ = 0;
    inputEnded_ = false;
    atLineStart_ = true;
    drainEachLine_ = false;
}

void TextLineFile::BindName(std::string_view name, platform::FolderHandle folder)
{
    // A handle bound anew while open would lose its platform file; it is
    // closed instead, and the bytes waiting in it are dropped.
    if (handle_ != platform::kInvalidHandle)
        ReleaseHandle();
    mode_ = Mode::Closed;
    ResetBuffer();
    nameError_ = 0;
    name_.clear();
    folder_ = std::move(folder);
    if (name.size() >= platform::PathSizeLimit())
        nameError_ = static_cast<std::int32_t>(platform::kErrorFilenameTooLong);
    else if (name.find('\0') != std::string_view::npos)
        nameError_ = static_cast<std::int32_t>(platform::kErrorInvalidName);
    else
        name_.assign(name);
}

void TextLineFile::OpenForReading() { Open(Mode::Reading); }

void TextLineFile::CreateForWriting() { Open(Mode::Writing); }

void TextLineFile::Open(Mode mode)
{
    if (mode_ == Mode::Unbound) {
        Record(kIoUnbound);
        return;
    }
    if (mode_ == Mode::Reading || mode_ == Mode::Writing) {
        CloseLineFile();
        CloseQuietly(); // a close whose drain failed leaves the file open
    }
    mode_ = mode;
    ResetBuffer();
    if (nameError_ != 0) {
        mode_ = Mode::Closed;
        Record(nameError_);
        return;
    }
    const auto access = mode == Mode::Reading ? platform::FileAccess::Read : platform::FileAccess::Write;
    handle_ = folder_ ? platform::CreateFileIn(folder_, name_.c_str(), access)
                      : platform::CreateFile(name_.c_str(), access);
    if (handle_ == platform::kInvalidHandle) {
        mode_ = Mode::Closed;
        Record(LastPlatformCode());
        return;
    }
    if (mode == Mode::Reading)
        return;
    const int type = platform::GetFileType(handle_);
    if (type == platform::kFileTypeUnknown) {
        ReleaseHandle();
        Record(kIoNotOpenForWriting);
    } else if (type == platform::kFileTypeChar) {
        drainEachLine_ = true;
    }
}

// ---- Reading ----------------------------------------------------------------
//
// The buffer is scanned for the next CR or LF with memchr and the bytes
// before it move as one run; only the break itself is looked at byte by byte.

namespace {

// The index of the first byte b in bytes[0, n), or n when there is none.
std::size_t IndexOf(const unsigned char* bytes, unsigned char b, std::size_t n)
{
    const void* found = std::memchr(bytes, b, n);
    return found != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(found) - bytes) : n;
}

// The length of the run of line content at the start of bytes[0, n): up to
// the first CR or LF, or all n bytes.
std::size_t ContentRun(const unsigned char* bytes, std::size_t n)
{
    return IndexOf(bytes, kCr, IndexOf(bytes, kLf, n));
}

} // namespace

std::int32_t TextLineFile::FillBuffer()
{
    position_ = end_ = 0;
    std::size_t got = 0;
    if (!platform::ReadFile(handle_, buffer_.data(), kBufferSize, got))
        return LastPlatformCode();
    assert(got <= kBufferSize);
    end_ = got;
    return 0;
}

// Called with the buffer exhausted: fills it from the file. False at the
// physical end, which stays final, and after a failed read, whose code is
// recorded (the next call tries the file again).
bool TextLineFile::Refill()
{
    assert(position_ == end_);
    if (inputEnded_)
        return false;
    if (const std::int32_t code = FillBuffer(); code != 0) {
        Record(code);
        return false;
    }
    if (end_ == 0) {
        inputEnded_ = true;
        return false;
    }
    return true;
}

// The next byte without consuming it, filling the buffer when it is empty;
// kEnd at the physical end or after a failed read (its code recorded).
int TextLineFile::PeekByte()
{
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return kEnd;
    }
    if (position_ == end_ && !Refill())
        return kEnd;
    return NextByte();
}

bool TextLineFile::BufferInvariantHolds() const
{
    if (mode_ == Mode::Writing)
        return end_ == 0 && position_ < kBufferSize;
    return position_ <= end_ && end_ <= kBufferSize;
}

unsigned char TextLineFile::NextByte() const
{
    assert(BufferInvariantHolds() && position_ < end_);
    return buffer_[position_];
}

bool TextLineFile::EndMarkAtLineStart() { return atLineStart_ && PeekByte() == kEndMark; }

bool TextLineFile::AtEnd()
{
    if (mode_ == Mode::Reading && position_ < end_)
        return atLineStart_ && NextByte() == kEndMark;
    const int b = PeekByte();
    return b == kEnd || (atLineStart_ && b == kEndMark);
}

// A CR has just been consumed: true when an LF follows, which it consumes
// too when `takeLf`. A CR not followed by LF is dropped, and the line goes on.
bool TextLineFile::CrEndsLine(bool takeLf)
{
    atLineStart_ = false;
    if (PeekByte() != kLf)
        return false;
    if (takeLf)
        ++position_;
    return true;
}

// Consumes line content up to the next CR or LF, appending it to `line`
// when one is given. True with that CR or LF next in the buffer; false at the
// end of the input or after a failed read.
bool TextLineFile::TakeContent(std::string* line)
{
    for (;;) {
        if (position_ == end_ && !Refill())
            return false;
        assert(BufferInvariantHolds());
        const unsigned char* run = buffer_.data() + position_;
        const std::size_t n = ContentRun(run, end_ - position_);
        if (n > 0) {
            if (line != nullptr)
                line->append(reinterpret_cast<const char*>(run), n);
            position_ += n;
            atLineStart_ = false;
        }
        if (position_ < end_)
            return true;
    }
}

// Stops before an LF, before the LF of a CR LF (the CR consumed), or at the
// end of the input. A CR not followed by LF is dropped.
void TextLineFile::ReadLineText(std::string& line)
{
    line.clear();
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return;
    }
    if (EndMarkAtLineStart())
        return;
    while (TakeContent(&line)) {
        if (NextByte() == kLf)
            return;
        ++position_; // the CR
        if (CrEndsLine(false))
            return;
    }
}

// Consumes the line's remaining content and its break: an LF, or a CR LF.
void TextLineFile::SkipLineBreak()
{
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return;
    }
    // Right after ReadLineText the break is all that is left of the line.
    if (position_ < end_ && NextByte() == kLf) {
        ++position_;
        atLineStart_ = true;
        return;
    }
    if (EndMarkAtLineStart())
        return;
    while (TakeContent(nullptr)) {
        const bool lf = NextByte() == kLf;
        ++position_;
        if (lf || CrEndsLine(true)) {
            atLineStart_ = true;
            return;
        }
    }
}

// ---- Writing ----------------------------------------------------------------

std::int32_t TextLineFile::DrainBuffer()
{
    if (position_ == 0)
        return 0;
    const bool ok = platform::WriteFile(handle_, buffer_.data(), position_);
    position_ = 0;
    return ok ? 0 : LastPlatformCode();
}

std::int32_t TextLineFile::LineFlush() { return drainEachLine_ ? DrainBuffer() : 0; }

void TextLineFile::WriteText(std::string_view text)
{
    if (mode_ != Mode::Writing) {
        Record(kIoNotOpenForWriting);
        return;
    }
    assert(BufferInvariantHolds());
    const char* bytes = text.data();
    std::size_t left = text.size();
    for (;;) {
        const std::size_t free = kBufferSize - position_;
        if (free > left) {
            std::memcpy(buffer_.data() + position_, bytes, left);
            position_ += left;
            return;
        }
        std::memcpy(buffer_.data() + position_, bytes, free);
        position_ += free;
        bytes += free;
        left -= free;
        if (const std::int32_t code = DrainBuffer(); code != 0) {
            Record(code);
            return;
        }
    }
}

// A closed handle ends with 103 over the 105 of its WriteText, being closed
// the more basic fault; on a handle open for reading that 105 stands.
void TextLineFile::WriteLineBreak()
{
    WriteText("\r\n");
    if (mode_ == Mode::Writing) {
        if (const std::int32_t code = LineFlush(); code != 0)
            Record(code);
    } else if (mode_ != Mode::Reading) {
        Record(kIoNotOpen);
    }
}

// ---- Closing ----------------------------------------------------------------

void TextLineFile::CloseLineFile()
{
    if (mode_ != Mode::Reading && mode_ != Mode::Writing) {
        Record(kIoNotOpen);
        return;
    }
    if (mode_ == Mode::Writing) {
        if (const std::int32_t code = DrainBuffer(); code != 0) {
            Record(code);
            return;
        }
    }
    if (!ReleaseHandle())
        Record(LastPlatformCode());
}

} // namespace ravo
