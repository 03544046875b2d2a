// Registers the compiled-in pictures and picks their rendering for the
// screen. Calling InitResources from the code that uses them keeps the linker
// from dropping the resource data out of a static library.
#include "resources/resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>
#include <QtCore/qglobal.h>

static void initRavoResources() { Q_INIT_RESOURCE(resources); }

namespace ravo {
void InitResources()
{
    static const bool done = (initRavoResources(), true);
    (void)done;
}

QPixmap Picture(const QString& resource, double devicePixelRatio)
{
    InitResources();
    if (devicePixelRatio > 1.0 && resource.endsWith(QLatin1String(".png"))) {
        const QString doubled = resource.chopped(4) + QLatin1String("@2x.png");
        QPixmap picture;
        if (QFile::exists(doubled) && picture.load(doubled)) {
            picture.setDevicePixelRatio(2.0);
            return picture;
        }
    }
    return QPixmap(resource);
}

QPixmap Picture(const QString& resource) { return Picture(resource, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0); }
} // namespace ravo
