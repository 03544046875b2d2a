// The display platform and locale chosen at start-up.
#include "app/start_environment.h"

#include <QLocale>
#include <QtGlobal>
#include <cstdlib>

namespace ravo {

namespace {
bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }
} // namespace

const char* ChosenDisplayPlatform(const char* userPlatform, const char* display)
{
    // Qt takes an empty QT_QPA_PLATFORM as unset, and so does this choice.
    if (IsSet(userPlatform) || !IsSet(display))
        return nullptr;
    return "xcb";
}

void ChooseDisplayPlatform()
{
    if (const char* platform = ChosenDisplayPlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY")))
        qputenv("QT_QPA_PLATFORM", platform);
}

void UseCzechLocale() { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic)); }

} // namespace ravo
