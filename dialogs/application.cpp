// The event delivery that reports uncaught errors.
#include "dialogs/application.h"

#include "dialogs/guard.h"

namespace ravo {

RavoApplication::RavoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool RavoApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverReportingErrors([&] { return QApplication::notify(receiver, event); });
}

} // namespace ravo
