// The application's title and its main form.
#include "dialogs/application_state.h"

#include <QPointer>
#include <QWidget>

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

} // namespace ravo
