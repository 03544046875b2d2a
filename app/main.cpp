// RAVO's start: the display platform and the Czech locale, the application and
// its three windows; only the main window is shown, and closing it ends the
// program, even with the help window still open.
#include <QApplication>

#include "app/dialogs/application.h"
#include "app/program.h"
#include "app/start_environment.h"

int main(int argc, char** argv)
{
    ravo::ChooseDisplayPlatform();
    ravo::UseCzechLocale();
    ravo::RavoApplication application(argc, argv);
    ravo::SetUpApplication(application);
    ravo::Program program;
    QObject::connect(&program.MainWindow(), &ravo::TForm1::Closed, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.MainWindow().show();
    return QApplication::exec();
}
