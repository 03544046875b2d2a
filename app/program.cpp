// The program's set-up and its windows.
#include "app/program.h"

#include <QApplication>
#include <QIcon>

#include "dialogs/application_state.h"
#include "app/font_stand_ins.h"
#include "app/toolkit_translations.h"

namespace ravo {

void SetUpApplication(QApplication& application)
{
    SetApplicationTitle(QStringLiteral("RAVO"));
    InstallToolkitTranslations(application);
    UseFontStandIns();
    QIcon icon;
    for (const char* picture :
         {":/ravo_16.png", ":/ravo_32.png", ":/ravo_48.png", ":/ravo_64.png", ":/ravo_128.png", ":/ravo_256.png"})
        icon.addFile(QString::fromLatin1(picture));
    QApplication::setWindowIcon(icon);
    // The help window may stay open after the main window closes; the program
    // ends with the main window all the same.
    QApplication::setQuitOnLastWindowClosed(false);
}

Program::Program() : form2_(form1_, &form1_) { form1_.SetCompanionWindows(&form2_, &form3_); }

} // namespace ravo
