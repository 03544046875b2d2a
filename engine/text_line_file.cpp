// The line-oriented text file: binding, opening, the reader's byte rules, the
// writer's buffer and closing.
#include "engine/text_line_file.h"

#include <algorithm>
#include <cstring>

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
    platform::CloseHandle(handle_);
    handle_ = platform::kInvalidHandle;
    mode_ = Mode::Closed;
}

void TextLineFile::BindName(std::string_view name)
{
    // A handle bound anew while open would lose its platform file; it is
    // closed instead, and the bytes waiting in it are dropped.
    if (handle_ != platform::kInvalidHandle) {
        platform::CloseHandle(handle_);
        handle_ = platform::kInvalidHandle;
    }
    mode_ = Mode::Closed;
    position_ = end_ = 0;
    inputEnded_ = false;
    atLineStart_ = true;
    drainEachLine_ = false;
    nameError_ = 0;
    name_[0] = '\0';
    if (name.size() >= name_.size())
        nameError_ = static_cast<std::int32_t>(platform::kErrorFilenameTooLong);
    else if (name.find('\0') != std::string_view::npos)
        nameError_ = static_cast<std::int32_t>(platform::kErrorInvalidName);
    else {
        std::memcpy(name_.data(), name.data(), name.size());
        name_[name.size()] = '\0';
    }
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
    position_ = end_ = 0;
    inputEnded_ = false;
    atLineStart_ = true;
    drainEachLine_ = false;
    if (nameError_ != 0) {
        mode_ = Mode::Closed;
        Record(nameError_);
        return;
    }
    const auto access = mode == Mode::Reading ? platform::FileAccess::Read : platform::FileAccess::Write;
    handle_ = platform::CreateFile(name_.data(), access);
    if (handle_ == platform::kInvalidHandle) {
        mode_ = Mode::Closed;
        Record(LastPlatformCode());
        return;
    }
    if (mode == Mode::Reading)
        return;
    const int type = platform::GetFileType(handle_);
    if (type == platform::kFileTypeUnknown) {
        platform::CloseHandle(handle_);
        handle_ = platform::kInvalidHandle;
        mode_ = Mode::Closed;
        Record(kIoNotOpenForWriting);
    } else if (type == platform::kFileTypeChar) {
        drainEachLine_ = true;
    }
}

// ---- Reading ----------------------------------------------------------------

std::int32_t TextLineFile::FillBuffer()
{
    position_ = end_ = 0;
    std::size_t got = 0;
    if (!platform::ReadFile(handle_, buffer_.data(), kBufferSize, got))
        return LastPlatformCode();
    end_ = got;
    return 0;
}

// The next byte without consuming it, filling the buffer when it is empty;
// kEnd at the physical end or after a failed read (its code recorded).
int TextLineFile::PeekByte()
{
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return kEnd;
    }
    if (position_ < end_)
        return buffer_[position_];
    if (inputEnded_)
        return kEnd;
    if (const std::int32_t code = FillBuffer(); code != 0) {
        Record(code);
        return kEnd;
    }
    if (end_ == 0) {
        inputEnded_ = true;
        return kEnd;
    }
    return buffer_[position_];
}

int TextLineFile::ReadByte()
{
    const int b = PeekByte();
    if (b != kEnd)
        ++position_;
    return b;
}

bool TextLineFile::EndMarkAtLineStart() { return atLineStart_ && PeekByte() == kEndMark; }

bool TextLineFile::AtEnd()
{
    const int b = PeekByte();
    return b == kEnd || (atLineStart_ && b == kEndMark);
}

void TextLineFile::ReadLineText(std::string& line)
{
    line.clear();
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return;
    }
    if (EndMarkAtLineStart())
        return;
    while (ReadPiece(line) == kPieceLimit) {
    }
}

// Appends at most 255 bytes of the current line to `line` and gives their
// number. Stops before an LF, before the LF of a CR LF (the CR consumed), at
// the end of the input, or after the 255th byte. A CR not followed by LF is
// dropped and not counted.
std::size_t TextLineFile::ReadPiece(std::string& line)
{
    std::size_t stored = 0;
    while (stored < kPieceLimit) {
        if (PeekByte() == kEnd)
            return stored;
        const unsigned char* run = buffer_.data() + position_;
        const std::size_t available = std::min(end_ - position_, kPieceLimit - stored);
        std::size_t n = 0;
        while (n < available && run[n] != kLf && run[n] != kCr)
            ++n;
        if (n > 0) {
            line.append(reinterpret_cast<const char*>(run), n);
            stored += n;
            position_ += n;
            atLineStart_ = false;
        }
        if (n == available)
            continue;
        if (run[n] == kLf)
            return stored;
        ++position_; // the CR
        atLineStart_ = false;
        if (PeekByte() == kLf)
            return stored;
    }
    return stored;
}

void TextLineFile::SkipLineBreak()
{
    if (mode_ != Mode::Reading) {
        Record(kIoNotOpenForReading);
        return;
    }
    if (EndMarkAtLineStart())
        return;
    for (;;) {
        const int b = ReadByte();
        if (b == kEnd)
            return;
        if (b == kLf || (b == kCr && PeekByte() == kLf)) {
            if (b == kCr)
                ++position_;
            atLineStart_ = true;
            return;
        }
        atLineStart_ = false;
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
    mode_ = Mode::Closed;
    const bool ok = platform::CloseHandle(handle_);
    handle_ = platform::kInvalidHandle;
    if (!ok)
        Record(LastPlatformCode());
}

} // namespace ravo
