// Loading Qt's Czech translations.
#include "app/toolkit_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ravo {

// qt_cs gathers the translations of every Qt module; qtbase_cs alone covers
// the widgets this program uses, where the gathering catalogue is missing.
QList<QTranslator*> InstallToolkitTranslations(QCoreApplication& application)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& catalogue : {QStringLiteral("qt_cs"), QStringLiteral("qtbase_cs")}) {
        auto* translator = new QTranslator(&application);
        if (translator->load(catalogue, folder) && QCoreApplication::installTranslator(translator))
            return {translator};
        delete translator;
    }
    return {};
}

} // namespace ravo
