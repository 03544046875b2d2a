// The program's convention for failed file operations: an operation records
// a code in the per-thread PendingIoResult and returns; the caller checks with
// CheckIoResult, which turns a recorded code into a raised EInOutError.
#pragma once

#include <cstdint>
#include <string>

#include "engine/exception.h"

namespace ravo {

// Codes of the text-file component itself; all other codes are those of the
// platform's file calls.
inline constexpr std::int32_t kIoUnbound = 102;
inline constexpr std::int32_t kIoNotOpen = 103;
inline constexpr std::int32_t kIoNotOpenForReading = 104;
inline constexpr std::int32_t kIoNotOpenForWriting = 105;

// 0 means no failure. A failing operation stores its code here, replacing
// any earlier one; CheckIoResult reads it and resets it to 0.
extern thread_local std::int32_t PendingIoResult;

// The message shown for a code: a fixed English text for the known codes,
// "I/O error <code>" for every other.
std::string IoErrorMessage(std::int32_t code);

// A failed file operation, with the code that caused it.
class EInOutError : public Exception {
public:
    explicit EInOutError(std::int32_t code) : Exception(IoErrorMessage(code)), ioCode_(code) {}
    std::int32_t IoCode() const noexcept { return ioCode_; }

private:
    std::int32_t ioCode_;
};

// Raises EInOutError when a code is pending, resetting it first.
void CheckIoResult();

} // namespace ravo
