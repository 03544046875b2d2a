// RAVO's start: the application and its three windows; only the main window is
// shown, and closing it ends the program, even with the help window still open.
#include <QApplication>

#include "app/dialogs/application.h"
#include "app/program.h"

int main(int argc, char** argv)
{
    ravo::RavoApplication application(argc, argv);
    ravo::SetUpApplication(application);
    ravo::Program program;
    QObject::connect(&program.MainWindow(), &ravo::TForm1::Closed, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    program.MainWindow().show();
    return QApplication::exec();
}
