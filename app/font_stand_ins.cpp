// The metric-close stand-ins for the designed fonts.
#include "app/font_stand_ins.h"

#include <QFont>
#include <QStringList>

namespace ravo {

// Liberation Sans has Arial's widths, and Arial Unicode MS shares them. It is
// also the closest to Tahoma and MS Sans Serif of the fonts a Debian desktop
// gets from its archive: a few per cent wider, where the system's default
// sans-serif (DejaVu Sans) is some 13 per cent wider and crowds the captions
// of the fixed-size windows. Liberation Mono has Courier New's widths.
// Fontconfig maps Arial and Courier New this way too; saying so here keeps
// the program's look whatever the system's aliases say.
void UseFontStandIns()
{
    struct StandIn {
        const char* designed;
        const char* standIn;
    };
    constexpr StandIn standIns[] = {
        {"Tahoma", "Liberation Sans"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Arial", "Liberation Sans"},
        {"Arial Unicode MS", "Liberation Sans"},
        {"Courier New", "Liberation Mono"},
    };
    for (const StandIn& font : standIns)
        QFont::insertSubstitution(QString::fromLatin1(font.designed), QString::fromLatin1(font.standIn));
}

} // namespace ravo
