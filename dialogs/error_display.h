// The one place where an error that leaves a handler is shown: the error box.
#pragma once

#include <exception>

namespace ravo {

// Shows the error in the error box unless it is of the silent abort kind:
// the message with the full-stop rule, the application's title as caption,
// the stop icon and one OK button. Returns when the box is closed.
void ReportUnhandledError(const std::exception& error);

} // namespace ravo
