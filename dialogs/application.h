// The QApplication whose event delivery reports the errors that no handler
// caught.
#pragma once

#include <QApplication>

namespace ravo {

// The backstop: reports errors that escape event processing outside a
// guarded handler, so that no exception crosses a Qt frame.
class RavoApplication : public QApplication {
public:
    RavoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ravo
