// The message table of file errors and the check that raises them.
#include "engine/in_out_error.h"

namespace ravo {

thread_local std::int32_t PendingIoResult = 0;

namespace {

struct IoMessage {
    std::int32_t code;
    const char* text;
};

// Searched in this order. 100, 101 and 106 keep their rows although nothing
// in the program records them: a full disk arrives as the platform's 112.
constexpr IoMessage kIoMessages[] = {
    {2, "File not found"},
    {3, "Invalid filename"},
    {4, "Too many open files"},
    {5, "File access denied"},
    {100, "Read beyond end of file"},
    {101, "Disk full"},
    {106, "Invalid numeric input"},
};

} // namespace

std::string IoErrorMessage(std::int32_t code)
{
    for (const IoMessage& row : kIoMessages)
        if (row.code == code)
            return row.text;
    return "I/O error " + std::to_string(code);
}

void CheckIoResult()
{
    const std::int32_t code = PendingIoResult;
    if (code == 0)
        return;
    PendingIoResult = 0;
    throw EInOutError(code);
}

} // namespace ravo
