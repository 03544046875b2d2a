// RAVO's start: the display platform (or one line on standard error and
// status 1 when there is no display) and the Czech locale, the application and
// its three windows; only the main window is shown, and closing it ends the
// program, even with the help window still open.
#include <QApplication>

#include "dialogs/application.h"
#include "app/program.h"
#include "app/start_environment.h"

int main(int argc, char** argv)
{
    if (!ravo::ChooseDisplayPlatform(argc, argv))
        return 1;
    ravo::UseCzechLocale();
    ravo::RavoApplication application(argc, argv);
    ravo::SetUpApplication(application);
    ravo::Program program;
    QObject::connect(&program.MainWindow(), &ravo::TForm1::Closed, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.MainWindow().show();
    return QApplication::exec();
}
