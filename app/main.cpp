// RAVO's start: the display platform and the Czech locale, the application,
// its title and Czech toolkit texts, then the main window, the backup-and-run
// dialog and the help window, in that order.
// Only the main window is shown; closing it ends the program, even with the
// help window still open.
#include <QIcon>

#include "app/dialogs/error_display.h"
#include "app/main_window.h"
#include "app/start_environment.h"
#include "app/toolkit_translations.h"
#include "backup/form2.h"
#include "help/form3.h"
#include "resources/resources.h"

int main(int argc, char** argv)
{
    ravo::ChooseDisplayPlatform();
    ravo::UseCzechLocale();
    ravo::RavoApplication application(argc, argv);
    ravo::SetApplicationTitle(QStringLiteral("RAVO"));
    ravo::InstallToolkitTranslations(application);
    ravo::InitResources();
    QIcon icon;
    for (const char* picture :
         {":/ravo_16.png", ":/ravo_32.png", ":/ravo_48.png", ":/ravo_64.png", ":/ravo_128.png", ":/ravo_256.png"})
        icon.addFile(QString::fromLatin1(picture));
    QApplication::setWindowIcon(icon);
    QApplication::setQuitOnLastWindowClosed(false);

    ravo::TForm1 form1;
    ravo::TForm2 form2(form1);
    ravo::TForm3 form3;
    form1.SetCompanionWindows(&form2, &form3);
    QObject::connect(&form1, &ravo::TForm1::Closed, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    form1.show();
    return QApplication::exec();
}
