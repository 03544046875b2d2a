// Qt's own Czech texts (the file dialog's labels and buttons, the fields'
// standard context menus), so that the whole program speaks Czech.
#pragma once

#include <QList>

class QCoreApplication;
class QTranslator;

namespace ravo {

// Installs Qt's Czech translations from Qt's translations folder when they
// are there; returns the installed translators, owned by the application.
QList<QTranslator*> InstallToolkitTranslations(QCoreApplication& application);

} // namespace ravo
