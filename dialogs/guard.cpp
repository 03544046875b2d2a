// The guard around every event delivery.
#include "dialogs/guard.h"

namespace ravo {

bool DeliverReportingErrors(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (const std::exception& error) {
        ReportUnhandledError(error);
        return true;
    }
}

} // namespace ravo
