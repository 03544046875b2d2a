// The application's title, its main form, and the event delivery that
// reports uncaught errors.
#include "app/dialogs/application.h"

#include <QPointer>
#include <QWidget>

#include "app/dialogs/guard.h"

namespace ravo {

namespace {

QString& TitleStorage()
{
    static QString title = QStringLiteral("RAVO");
    return title;
}

QPointer<QWidget>& MainFormStorage()
{
    static QPointer<QWidget> form;
    return form;
}

} // namespace

QString ApplicationTitle()
{
    return TitleStorage();
}

void SetApplicationTitle(const QString& title)
{
    TitleStorage() = title;
}

QWidget* MainForm()
{
    return MainFormStorage();
}

void ClaimMainForm(QWidget* form)
{
    if (!MainFormStorage())
        MainFormStorage() = form;
}

RavoApplication::RavoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool RavoApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverReportingErrors([&] { return QApplication::notify(receiver, event); });
}

} // namespace ravo
