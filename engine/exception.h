// The program's error classes: the common base every error of RAVO derives
// from, and the kinds that the error display treats specially.
#pragma once

#include <exception>
#include <string>

namespace ravo {

// Base of every error the program raises on purpose. The message is a byte
// string in the locale's 8-bit encoding, shown as it stands (after the
// full-stop rule of ErrorBoxText) in the error box.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The silent kind: raised to abandon a command without telling the user.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

// An entry of the file list asked for by an index outside the list.
class EStringListError : public Exception {
public:
    explicit EStringListError(long long index)
        : Exception("List index out of bounds (" + std::to_string(index) + ")") {}
};

// The text the error box shows for a message: a full stop is appended when
// the last byte's unsigned code lies above that of the full stop itself, so
// "File not found" gains one and "(5)" or "!" endings stay as they are.
inline std::string ErrorBoxText(std::string message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > 0x2E)
        message += '.';
    return message;
}

} // namespace ravo
