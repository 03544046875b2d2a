// Running a handler so that an error leaving it is reported once, in the
// error box, and the program goes on: every handler connected to a signal
// runs inside Guard, and every event delivery inside DeliverReportingErrors.
#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "dialogs/error_display.h"

namespace ravo {

// Runs handler(args...) and reports any error that leaves it.
template <typename Handler>
auto Guard(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception& error) {
            ReportUnhandledError(error);
        }
    };
}

// Runs one event delivery; an error that leaves it is reported and the event
// then counts as handled. The body of RavoApplication::notify.
bool DeliverReportingErrors(const std::function<bool()>& deliver);

} // namespace ravo
