// The block buffer below the callers' own small reads and writes of a disk
// file, shared by both halves of the file layer: they give it the system's
// read and write calls.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

namespace ravo::platform {

// Reads ahead and writes behind in blocks of kSize, so that a caller moving
// 128 bytes at a time costs a system call only every few hundred calls.
// Invariant: reading, data[start, end) are bytes read ahead and not yet
// handed out; writing, data[0, end) are bytes waiting to be written.
class FileBlock {
public:
    static constexpr std::size_t kSize = 64 * 1024;

    FileBlock() : data_(std::make_unique_for_overwrite<char[]>(kSize)) {}

    // Fills `out` with up to `size` bytes through `readSome(buffer, capacity,
    // got)`, which reads once and is false on a failure. A disk file gives
    // full reads up to its end, so callers' blocks keep starting at
    // multiples of their size. A failure after some bytes gives those bytes.
    template <typename ReadSome>
    bool Read(char* out, std::size_t size, std::size_t& bytesRead, ReadSome readSome)
    {
        bytesRead = 0;
        // The last request met the end: this one gets the end without asking
        // the system again.
        if (endPending_) {
            endPending_ = false;
            return true;
        }
        while (bytesRead < size) {
            if (start_ == end_) {
                std::size_t got = 0;
                if (!readSome(data_.get(), kSize, got))
                    return bytesRead > 0;
                if (got == 0) {
                    endPending_ = bytesRead > 0;
                    break;
                }
                start_ = 0;
                end_ = got;
            }
            const std::size_t take = std::min(size - bytesRead, end_ - start_);
            std::memcpy(out + bytesRead, data_.get() + start_, take);
            start_ += take;
            bytesRead += take;
        }
        return true;
    }

    // Keeps `size` bytes to be written through `writeAll(data, size)`, which
    // writes everything or fails; a large write goes straight through.
    template <typename WriteAll>
    bool Write(const char* bytes, std::size_t size, WriteAll writeAll)
    {
        if (kSize - end_ < size && !Flush(writeAll))
            return false;
        if (size >= kSize)
            return writeAll(bytes, size);
        std::memcpy(data_.get() + end_, bytes, size);
        end_ += size;
        return true;
    }

    // Writes out whatever waits; the bytes of a failed write are dropped.
    template <typename WriteAll>
    bool Flush(WriteAll writeAll)
    {
        const std::size_t waiting = end_;
        end_ = 0;
        return waiting == 0 || writeAll(data_.get(), waiting);
    }

private:
    std::unique_ptr<char[]> data_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool endPending_ = false;
};

} // namespace ravo::platform
