// Picks a compiled-in picture's rendering for the screen.
#include "resources/resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>

namespace ravo {
QPixmap Picture(const QString& resource, double devicePixelRatio)
{
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
